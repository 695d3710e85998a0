#pragma once
// The plug-in's editor.  The plug-in object makes it in its constructor
// (through the factory the module installs) and keeps it for life; the host
// opens and closes it in its window and drives its idle.  It owns the fonts
// and picture fonts of the interface, the page set's operations, the idle
// pass that fills display values and serves what the plug-in object
// recorded for the interface, the one valueChanged through which every
// widget edit becomes a parameter or a command, the keys, the hooks the
// plug-in object forwards, MIDI learn and the MIDI export.
//
// It reaches the plug-in object only through its public operations.  GUI
// thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/BWEditorBase.h"
#include "editor/InterfaceValues.h"
#include "editor/InterfaceWidgets.h"
#include "editor/MidiExport.h"
#include "guitoolkit/BWGuiTimer.h"
#include "guitoolkit/BWTimerReceiver.h"
#include "guitoolkit/CControlListener.h"
#include "plugin/EditorHooks.h"
#include "plugin/ParameterTags.h"
#include "widgets/BWWidgetEditor.h"

class BWUniClient;
class MidiLearnMap;

namespace VSTGUI {
class BWControl;
class BWFrame;
class BWOptionMenu;
class BWViewContainer;
class CFontDesc;
class CView;
}  // namespace VSTGUI

class BWUniClientEditor : public BWEditorBase,
                          public VSTGUI::CControlListener,
                          public BWTimerReceiver,
                          public EditorHooks,
                          public VSTGUI::BWWidgetEditor {
public:
    static constexpr int32_t kWidth = 960;
    static constexpr int32_t kHeight = 697;
    static constexpr int32_t kPictureFonts = 36;
    static constexpr int32_t kFilledPictureFonts = 11;
    static constexpr uint32_t kTimerPeriodMs = 25;
    // The tag of the button whose release and press restart the sequence
    // before the MIDI export (the run switch).
    static constexpr int32_t kExportRestartTag = Tag::RunSwitch;
    // The views that the plug-in object's recorded requests mark dirty, in
    // the order of its DirtyView bits.
    static constexpr int32_t kDirtyViewCount = 12;
    // Preset kinds with menus: 0 to 2 and the kind that carries only a name.
    static constexpr int32_t kPresetMenuKinds = 4;

    // Made by the plug-in object's constructor; the timer runs only when
    // wanted (the host adapter never wants it: its view timer drives idle).
    BWUniClientEditor(BWUniClient* client, bool timerWanted);
    ~BWUniClientEditor() override;

    // AEffEditor
    bool open(void* parentWindow) override;
    void close() override;
    bool isOpen() override { return isOpenFlag; }
    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;

    // BWEditorBase
    void setPageVisible(int32_t page, bool visible) override;
    void hidePage(int32_t page) override;
    bool isPageVisible(int32_t page) const override;
    VSTGUI::CBitmap* getBitmap(int32_t id) const override;
    void requestRefresh() override;
    BWSystemInfo* getSystemInfo() const override;
    VSTGUI::BWPictureFont* const* getPictureFontTable() const override { return pictureFonts.data(); }

    // CControlListener: every widget edit (EditorRouting.cpp).
    void valueChanged(VSTGUI::CControl* control) override;

    // BWTimerReceiver: the own timer's idle.
    bool onTimer(BWGuiTimer* timer) override;

    // EditorHooks (EditorKeys.cpp).
    void openHookMenu() override;
    void openManual() override;
    bool isKeyInputBlocked() const override { return keyInputBlocked; }
    bool holdsHookMenu() const override { return hookContainer != nullptr; }

    // BWWidgetEditor: what the folder menus ask of the plug-in object.
    void reloadPresetLibrary() override;
    bool lookupLibraryEntry(int32_t* bank, int32_t* index) override;

    // Commands (EditorCommands.cpp).  Each wait for the audio side is
    // bounded: when it stays busy the command stops there and says so.
    void locateInstruments();
    // Refills every menu of a preset kind (after a preset of it was saved).
    void refreshPresetMenus(int32_t kind, const char* extension);
    void changeInstrument(int32_t layer, const std::string& name);
    // "Midi Learn" for a widget's pair: the next controller that arrives
    // is bound to it and the pair's present assignments go.  "Clear": they
    // go without a new one.  armLearnTarget only sets what is learned next.
    bool learnPair(int32_t tag, int32_t subIndex);
    bool armLearnTarget(int32_t tag, int32_t subIndex);
    bool clearPair(int32_t tag, int32_t subIndex);
    // Removes every assignment of a tag (the hidden learn menu's "clear").
    bool removeMidiLearnTag(int32_t tag);
    // The entries of the learn menu for a pair.
    std::vector<std::string> learnMenuEntries(int32_t tag, int32_t subIndex) const;
    // Runs the MIDI export and offers the file to the host.
    MidiExportReport exportMidi();

    BWUniClient* getClient() const { return client; }
    VSTGUI::BWFrame* getBWFrame() const;
    int32_t getExportRestartTag() const { return exportRestartTag; }
    int32_t getPendingCursorResets() const { return pendingCursorResets; }
    const VSTGUI::CFontDesc* getFont(int32_t index) const { return fonts[static_cast<size_t>(index)]; }
    // The fonts the widgets of the open take (Arial 12, 13, 17).
    VSTGUI::CFontDesc* textFont(int32_t index) const { return fonts[static_cast<size_t>(index)]; }
    // What the open built (the frame owns it), and what its widgets follow.
    const InterfaceWidgets& widgets() const { return built; }
    VSTGUI::BWControl* widget(int32_t tag) const { return built.find(tag); }
    InterfaceValues& interfaceValues() { return values; }
    BWGuiTimer& getTimer() { return timer; }

    // What the open hands the editor as it builds the interface; close
    // forgets it all.  The views the plug-in object's dirty marks redraw
    // (DirtyView bit order); the container the hook menu and tag 313 open
    // and the one locating instruments closes; the menus that preset saves
    // and instrument folders refill; the learn menu of right clicks.
    void setDirtyView(int32_t bit, VSTGUI::CView* view);
    void setHookContainer(VSTGUI::BWViewContainer* container) { hookContainer = container; }
    void setPopupContainer(VSTGUI::BWViewContainer* container) { popupContainer = container; }
    void addPresetMenu(int32_t kind, VSTGUI::BWOptionMenu* menu);
    void addInstrumentMenu(VSTGUI::BWOptionMenu* menu);
    void setContextMenu(VSTGUI::BWOptionMenu* menu);
    VSTGUI::BWOptionMenu* getContextMenu() const { return contextMenu; }

private:
    // The open's widgets, from the layout tables (EditorOpen.cpp).
    void buildInterface();
    void makePictureFonts();
    void displayPass();
    void serveRequests();
    void route(VSTGUI::CControl* control);
    void takeMouseAreaReadings(VSTGUI::CControl* control);
    // The menus' commands (EditorMenus.cpp).
    bool isContextMenu(const VSTGUI::CControl* control) const;
    void contextMenuChoice(VSTGUI::CControl* control);
    void hiddenLearnMenuChoice(VSTGUI::CControl* control);
    void chordBankMenu(VSTGUI::CControl* control);
    void instrumentMenu(VSTGUI::CControl* control, int32_t layer);
    void presetMenu(VSTGUI::CControl* control, int32_t kind);
    void rebuildLearnMenus();
    void scanInstrumentFolders();
    void forgetWidgets();
    bool changeLearning(int32_t tag, int32_t subIndex, bool dropAssignments);
    // Runs the edit with the engine held and the MIDI intake told; false,
    // and said, when the audio side stayed busy.
    bool editLearnMap(const std::function<void(MidiLearnMap&)>& edit);
    static bool onMidiLearnMenu(VSTGUI::BWOptionMenu* menu, void* editor);

    BWUniClient* client;
    bool timerWanted;
    bool isOpenFlag = false;
    std::array<VSTGUI::CFontDesc*, 3> fonts{};  // "Arial" 12, 13 and 17
    std::array<VSTGUI::BWPictureFont*, kPictureFonts> pictureFonts{};
    VSTGUI::BWViewContainer* hookContainer = nullptr;
    VSTGUI::BWViewContainer* popupContainer = nullptr;
    VSTGUI::BWOptionMenu* contextMenu = nullptr;
    std::array<VSTGUI::CView*, kDirtyViewCount> dirtyViews{};
    std::array<std::vector<VSTGUI::BWOptionMenu*>, kPresetMenuKinds> presetMenuLists;
    std::vector<VSTGUI::BWOptionMenu*> instrumentMenus;
    BWGuiTimer timer;
    int32_t exportRestartTag = -1;
    uint32_t lastIdleTime;
    int32_t pendingCursorResets = 0;
    int32_t learnChangesSeen = 0;
    InterfaceWidgets built;
    InterfaceValues values;
};
