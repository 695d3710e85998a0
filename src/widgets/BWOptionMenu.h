#pragma once
// The self-drawn choice list of the interface.  Closed it is a small control
// (the current entry's text or picture, a file name, a title, an arrow); a
// click opens the list, which its overlay (BWMenuHelper) draws above every
// view of the frame, with sub-menus (menus themselves) that open beside it
// when the pointer rests on their entry and a scroll bar when the list is
// taller than the frame.  The picked index becomes the control's value and is
// reported to the listener; values at or above the number of entries are
// codes: 5 (a stepped or dropped file), 10053 and 10054 (companion buttons),
// 100 (a custom-folder sub-menu's "Select Folder").
//
// A file menu (kStyleFileMenu) lists a folder's files behind a few fixed
// entries, optionally as a tree of folder sub-menus, builds full paths for
// what is picked, steps through files across sub-menus, picks at random and
// takes dropped files.
//
// The code is in three files: BWOptionMenu.cpp (entries, value, the closed
// control, reports and companions), BWOptionMenuList.cpp (the open list) and
// BWFolderMenu.cpp (folder filling, paths, stepping, random picks, drops).
// Configuration fields are public: the editor sets them after construction.
// GUI thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "guitoolkit/CControlListener.h"
#include "widgets/BWOptionMenuBase.h"
#include "widgets/BWOptionMenuEntryInfo.h"

namespace VSTGUI {

class BWMenuHelper;
class BWScrollbarY;

class BWOptionMenu : public BWOptionMenuBase, public CControlListener {
public:
    // Style bits.
    static constexpr uint64_t kStylePlain = 1ull << 0;          // closed: no title, no arrow picture
    static constexpr uint64_t kStyleShowCurrent = 1ull << 1;    // closed: the current entry
    static constexpr uint64_t kStyleFileMenu = 1ull << 3;
    static constexpr uint64_t kStyleSelectFolder = 1ull << 4;   // fixed entry "Select Folder"
    static constexpr uint64_t kStyleFolderTree = 1ull << 5;     // one sub-menu per sub-folder
    static constexpr uint64_t kStyleShowFileName = 1ull << 6;   // closed: fileName; the wheel steps files
    static constexpr uint64_t kStyleSaveEntry = 1ull << 7;      // fixed entry "Save Preset"
    static constexpr uint64_t kStyleTitleEntry = 1ull << 8;     // fixed title entry
    static constexpr uint64_t kStyleIndexedSettings = 1ull << 9;  // entries from settings at each opening
    static constexpr uint64_t kStyleHoverOpen = 1ull << 10;
    static constexpr uint64_t kStyleLoadEntry = 1ull << 11;     // fixed entry "Load Preset" / "Load Sample"
    static constexpr uint64_t kStyleNumbered = 1ull << 13;      // rows "%d. %s"
    static constexpr uint64_t kStyleAlignLeft = 1ull << 14;
    static constexpr uint64_t kStyleArrowLeft = 1ull << 15;
    static constexpr uint64_t kStyleHoverFillClosed = 1ull << 16;
    static constexpr uint64_t kStyleAcceptDrop = 1ull << 18;
    static constexpr uint64_t kStyleFlatIndex = 1ull << 19;     // the value counts through sub-menus
    static constexpr uint64_t kStyleAlignCentreWider = 1ull << 20;
    static constexpr uint64_t kStyleNoHoverFill = 1ull << 21;
    static constexpr uint64_t kStyleBracketed = 1ull << 22;     // "[Select Folder]" and the like
    static constexpr uint64_t kStylePictureRows = 1ull << 23;
    static constexpr uint64_t kStyleSamples = 1ull << 25;       // sample menus and custom folders
    static constexpr uint64_t kStyleCurrentColour = 1ull << 26;
    static constexpr uint64_t kStyleSubMenusReport = 1ull << 27;
    static constexpr uint64_t kStyleMarkSelection = 1ull << 28;
    static constexpr uint64_t kStyleAlignRight = 1ull << 29;
    static constexpr uint64_t kStyleTextWidth = 1ull << 30;     // list width from the texts alone
    static constexpr uint64_t kStyleAudioList = 1ull << 31;     // rows without folder and extension

    // Values at or above the number of entries that the listener reads as codes.
    static constexpr int32_t kSteppedFile = 5;
    static constexpr int32_t kSampleFolderChoice = 100;
    static constexpr int32_t kMaxEntries = 1024;

    using RowDrawer = void (*)(BWOptionMenu* menu, CDrawContext* context, const CRect& row,
                               BWOptionMenuEntryInfo* entry, bool hovered, int32_t index);
    // False stops the opening.
    using OpenCallback = bool (*)(BWOptionMenu* menu, void* argument);

    BWOptionMenu(const CRect& size, CControlListener* listener, int32_t tag, BWFrame* owner, const char* title,
                 uint64_t style);
    ~BWOptionMenu() override;

    // --- view and control --------------------------------------------------------
    using CView::onWheel;
    void draw(CDrawContext* context) override;
    bool checkUpdate(const CRect& rect) const override;
    int32_t onMouseDown(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseUp(CPoint& where, const CButtonState& buttons, int32_t index) override;
    int32_t onMouseMoved(CPoint& where, const CButtonState& buttons, int32_t index) override;
    void onMouseCancel(int32_t index) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    bool onDrop(CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDragContainer* drag, const CPoint& where) override;
    void looseFocus() override;
    void setValue(float value) override;
    void ownerClosing() override;

    // --- widget slots -------------------------------------------------------------
    void popup(int32_t mode, const CPoint* where, int32_t identifier, const CRect& area, bool toLeft) override;
    void activate(int32_t) override { popup(0, nullptr, targetId, size, false); }
    void getTotalBounds(CRect& rect) const override;
    int32_t getHeight() const override;
    void idle(int32_t argument) override;
    void setViewSizeWithMargins(CRect& rect) override;
    // The MIDI-learn menu that a right click pops up (a BWOptionMenuBase*).
    void setExtraPointer(void* menu) override { learnMenu = static_cast<BWOptionMenuBase*>(menu); }
    void setExtraInt1(int32_t value) override { targetId = value; }
    void setExtraInt2(int32_t value) override { targetSubIndex = value; }
    int32_t getExtraInt1() const override { return targetId; }
    int32_t getExtraInt2() const override { return targetSubIndex; }

    // --- entries (slots 98 to 121) ----------------------------------------------------
    virtual void addEntries(std::vector<std::string> texts);                                  // 98
    // Sorted file names, filtered by extension (Folder menus).
    virtual void addFileEntries(std::vector<std::string> names, const char* extension, bool inSubFolder);  // 99
    // Index -1 (or past the end) appends; false at kMaxEntries entries.
    virtual bool addEntry(const std::string& text, int32_t index = -1, bool title = false,
                          int32_t* outIndex = nullptr, bool inSubFolder = false);           // 100
    // Takes over the caller's reference to the sub-menu.
    virtual bool addSubMenu(BWOptionMenu* subMenu, const std::string& text, bool inSubFolder = false);  // 101
    virtual bool addEntryWithLong(const std::string& text, int32_t index, int32_t value);     // 102
    // The current entry's text into the destination (may be null); the answer
    // is current (raw) or its index among the entries that are neither
    // separators nor titles.
    virtual int32_t getCurrentText(std::string* destination, bool raw);                       // 103
    virtual bool selectEntryByText(const std::string& text);                                 // 104
    virtual bool setCurrent(int32_t index, bool raw);                                        // 105
    virtual bool getEntryText(int32_t index, std::string& text) const;                       // 106
    // False for a missing entry or a text longer than 1,023 characters.
    virtual bool copyEntryText(int32_t index, std::string* destination) const;               // 107
    virtual BWOptionMenuEntryInfo* getEntry(int32_t index);                                  // 108
    virtual bool setEntryText(int32_t index, const std::string& text);                       // 109
    virtual bool removeEntry(int32_t index);                                                 // 110
    virtual bool removeAllEntries();                                                         // 111
    virtual int32_t getNumEntries() const { return static_cast<int32_t>(entries.size()); }  // 112
    virtual int32_t findEntry(const std::string& text) const;                                // 113
    virtual int32_t findEntryByBaseName(const std::string& name) const;                      // 114
    virtual bool setEntryChecked(int32_t index, bool checked);                               // 115
    virtual bool setEntryEnabled(int32_t index, bool enabled);                               // 116
    virtual bool checkOnlyEntry(int32_t index);                                              // 117
    virtual bool isEntryChecked(int32_t index) const;                                        // 118
    // The full path of what was picked (Folder menus).
    virtual bool getFilePath(std::string& destination, const char* extension);               // 119
    // Kind 0 to 4 (Folder menus).
    virtual void applyFolderChoice(int32_t kind, int32_t index, int32_t value, std::string fullPath,
                                   std::string name);                                        // 120
    virtual void getFontInfo(std::string* fontName, int32_t* textHeight, CColor* fill, CColor* text) const;  // 121

    // CControlListener: its own picks, its sub-menus, its scroll bar and its
    // companion buttons.
    void valueChanged(CControl* control) override;

    // --- other operations -----------------------------------------------------------
    // The text a display shows for a file menu; false unless kStyleFileMenu.
    bool getDisplayText(std::string& text) const;
    // Gives a sub-menu this menu's look.
    void copyLookTo(BWOptionMenu* subMenu) const;
    // Fills a file menu from a folder (null: the stored one).  A settings
    // index of -1 keeps the menu's.
    void fillFolderMenu(const char* folder, const std::string& extension, int32_t settingsIndex, bool topLevel);
    // Steps the file selection forward (+1) or back (-1), across sub-menus.
    void stepFolderSelection(int32_t step);
    // A random file of a sub-menu (by category; below 0 any).
    void pickRandomFile(int32_t category, bool notify);

    // --- the open list (BWOptionMenuList.cpp) ----------------------------------------
    void openList(const CPoint& where, bool toLeft) override;
    void closeList();
    void drawList(CDrawContext* context);

    // --- state seen from outside --------------------------------------------------------
    bool isListOpen() const { return isOpen; }
    int32_t getCurrent() const { return current; }
    uint64_t getStyle() const { return style; }
    int32_t headerCount() const;
    // The first entry a wrap lands on: after "Save Preset" and the load entry.
    int32_t firstSelectable() const;
    int32_t textHeight() const;
    int32_t pitch() const;
    const CRect& getListRect() const { return listRect; }
    const CRect& getScrollBarArea() const { return scrollBarArea; }
    BWScrollbarY* getScrollBar() const { return scrollBar; }
    BWMenuHelper* getOverlay() const { return overlay; }
    BWOptionMenu* getOpenSubMenu() const { return openSubMenu; }
    int32_t getHovered() const { return hovered; }
    int32_t getSelectionSubMenu() const { return selectionSubMenu; }
    int32_t firstVisibleRow() const;
    int32_t visibleRows() const;
    const std::string& getFolder() const { return folderBuffer; }
    // The entry that holds this sub-menu lets it go: an open list of it
    // closes, since the menu it reports to may be going too.
    void leaveTree();

    // --- configuration ----------------------------------------------------------------
    BWOptionMenuExtraCallBack* extraCallBack = nullptr;
    RowDrawer rowDrawer = nullptr;
    CBitmap* rowPicture = nullptr;
    CBitmap* currentRowPicture = nullptr;
    CBitmap* closedPicture = nullptr;
    CBitmap* rowBackgroundPicture = nullptr;
    int32_t closedPictureFrameHeight = 0;
    CColor hoverColour = colourNone;  // closed text while the pointer is over it
    CFontDesc* valueFont = nullptr;
    CColor valueColour = colourNone;
    BWPictureFrame framePictures;
    bool hasFramePictures = false;
    bool framePicturesSimple = false;
    BWPictureFont* textFont = nullptr;
    BWPictureFont* hoverFont = nullptr;
    BWPictureFont* titleFont = nullptr;
    BWOptionMenuBase* learnMenu = nullptr;
    CColor listFillColour = colourWhite;
    CColor hoverFillColour = colourBlue;
    CColor hoverTextColour = colourWhite;
    CColor listFrameColour = colourBlack;
    CColor scrollBarColour = colourGrey;
    CColor scrollBarThumbColour = colourBlack;
    CColor currentEntryColour = colourRed;
    std::string fileExtension;
    std::string indexedSettingName;
    std::string titleEntryText;
    std::string loadEntryText;
    OpenCallback openCallback = nullptr;
    void* openCallbackArg = nullptr;
    CBitmap* subMenuArrowPicture = nullptr;
    CBitmap* arrowPicture = nullptr;
    const std::string* fileName = nullptr;
    const std::string* fileNameLine2 = nullptr;
    bool showLine2 = false;
    float* boundIndex = nullptr;
    float* boundCategory = nullptr;
    float textOffset = 0.0f;
    int32_t indexedSettingCount = 0;
    int32_t minListWidth = 0;
    int32_t maxListWidth = 0;
    int32_t fixedListHeight = 0;
    int32_t listOffsetX = 0;
    int32_t listOffsetY = 0;
    uint8_t listAlpha = 245;
    int32_t insetTop = 2;
    int32_t insetBottom = 2;
    int32_t insetLeft = 5;
    int32_t insetRight = 0;
    int32_t fontReduction = 4;
    int32_t rowGap = 0;
    int32_t rowExtra = 0;
    int32_t scrollBarWidth = 11;
    int32_t textInsetX = 0;
    int32_t subMenuOffsetX = 0;
    int32_t arrowGap = 2;
    bool listFrame = false;

    // Folder state (public for the editor, which reads the picked path and name).
    std::string droppedPath;
    std::string pickedFullPath = "none";
    std::string pickedName;

private:
    friend class BWMenuHelper;

    bool has(uint64_t bits) const { return (style & bits) == bits; }
    bool entryExists(int32_t index) const { return index >= 0 && index < getNumEntries(); }
    bool isCounted(int32_t index) const;
    void letGo(int32_t from, int32_t to);
    // The text the closed control shows for current, through sub-menus.
    const std::string* closedText() const;
    int32_t closedAlignment() const;
    // Entries before `index`, sub-menus counting their entries.
    int32_t flattenedCount(int32_t from, int32_t to) const;
    int32_t indexOfSubMenu(const BWOptionMenu* subMenu) const;
    // Tells the listener about the control (the menu or a sub-menu) with
    // notifying set, and the wait cursor around it when asked.
    void report(CControl* control, bool waitCursor);
    void setWaitCursor(bool wait);
    void stepValue(int32_t step);
    void companionChanged(CControl* control);
    void ownChoice(CControl* control);
    bool closedWheel(float distance);
    static void adoptPart(BWFrame* frame, BWControl* part);

    // BWOptionMenuList.cpp
    int32_t measureWidth();
    void placeList(const CPoint& where, bool toLeft, int32_t width);
    void markLibrarySelection();
    int32_t rowAt(const CPoint& where, bool skipTitles, bool stopAtKeepOpen) const;
    int32_t rowTop(int32_t row) const;
    void drawRow(CDrawContext* context, int32_t row, const CRect& rect);
    void drawRowArrow(CDrawContext* context, const BWOptionMenuEntryInfo& entry, const CRect& rect, bool hovered);
    void drawTextIn(CDrawContext* context, BWPictureFont* pictureFont, const std::string& text, const CRect& rect,
                    int32_t alignment, const CColor& colour);
    int32_t rowRight() const;
    bool scrollBarShown() const;
    void trackHover(const CPoint& mouse);
    void closeTree();
    void closeSubMenu();
    void openSubMenuAt(int32_t row, const CPoint& mouse);
    void hoverOpen(const CPoint& mouse);
    int32_t pickOnPress(const CPoint& where);
    int32_t pickOnRelease(const CPoint& where);

    // BWFolderMenu.cpp
    BWOptionMenu* makeFolderSubMenu(uint64_t subStyle);
    void addFixedEntries();
    bool stepInTree(int32_t step);
    bool stepFlat(int32_t step);
    BWOptionMenu* subMenuHoldingFile(int32_t& fileIndex) const;
    void markSelection(BWOptionMenu* chosen);

    std::vector<BWOptionMenuEntryInfo> entries;
    BWScrollbarY* scrollBar = nullptr;
    BWMenuHelper* overlay = nullptr;
    BWOptionMenu* openSubMenu = nullptr;
    BWOptionMenu* rootMenu = nullptr;
    BWOptionMenu* currentSubMenu = nullptr;
    CRect listRect;
    CRect scrollBarArea;
    std::string folderBuffer;
    std::string subFolder;
    std::string title;
    bool hasTitle = false;
    uint64_t style;
    int32_t listWidth = 0;
    int32_t hovered = -1;
    int32_t current = -1;
    int32_t targetId = 0;
    int32_t targetSubIndex = 0;
    int32_t settingsIndex = -1;
    int32_t autoCloseCount = 0;
    int32_t selectionSubMenu = -1;
    int32_t pendingSelectionSubMenu = -1;
    float thumbSize = 0.0f;
    float scrollPos = 0.0f;
    bool scrollDragging = false;
    bool isOpen = false;
    bool inMouseDown = false;
    bool pickedOnPress = false;
    bool notifying = false;
    bool ignoreNextMouseUp = false;
    bool mouseOverClosed = false;
};

}  // namespace VSTGUI
