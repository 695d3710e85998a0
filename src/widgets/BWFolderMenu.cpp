// Folder menus: an option menu that lists the files of a folder behind a few
// fixed command entries, optionally as a tree of folder sub-menus; full paths
// of what was picked; stepping to the next or previous file across
// sub-menus; random picks; dropped files; and the editor's folder choices.
#include <ctime>

#include "guitoolkit/BWFrame.h"
#include "guitoolkit/CDropTarget.h"
#include "persistence/BWFileChooser.h"
#include "persistence/ContentEntryOrder.h"
#include "persistence/NaturalOrder.h"
#include "persistence/PathStrings.h"
#include "persistence/Settings.h"
#include "persistence/SettingsKey.h"
#include "platform/Framework.h"
#include "platform/MsvcRand.h"
#include "widgets/BWOptionMenu.h"
#include "widgets/BWWidgetEditor.h"
#include "widgets/StripFrames.h"

namespace VSTGUI {

namespace {

// The four custom folders: "Select Folder" first, samples' rules, report themselves.
constexpr uint64_t kCustomFolderStyle = 0x2001019;
// A sub-folder: a plain file list with numbered rows.
constexpr uint64_t kSubFolderStyle = 0x3009;
constexpr int32_t kCustomFolderCount = 4;
constexpr int32_t kCustomFolderSettingBase = 99;

bool endsWithAny(std::string_view name, std::initializer_list<std::string_view> endings) {
    for (std::string_view ending : endings)
        if (name.size() > ending.size() && hasSuffix(name, ending)) return true;
    return false;
}

bool isAudioFileName(std::string_view name) {
    return endsWithAny(name, {"wav", "WAV", "aif", "AIF", "mp3", "MP3", "aiff", "AIFF"});
}

bool hasDot(const std::string& text) { return getFileName(text).find('.') != std::string::npos; }

}  // namespace

// --- filling -------------------------------------------------------------------------

BWOptionMenu* BWOptionMenu::makeFolderSubMenu(uint64_t subStyle) {
    const uint64_t inherited = style & (kStyleNoHoverFill | kStyleMarkSelection | kStyleTextWidth);
    auto* sub = new BWOptionMenu(size, this, tag, owner, nullptr, subStyle | inherited);
    adoptPart(owner, sub);
    sub->listOffsetX = 0;
    sub->listOffsetY = -pitch();
    sub->minListWidth = minListWidth;
    sub->maxListWidth = maxListWidth;
    copyLookTo(sub);
    return sub;
}

void BWOptionMenu::addFixedEntries() {
    const bool bracketed = style & kStyleBracketed;
    auto fixed = [bracketed](const char* text) {
        std::string entry = bracketed ? "[" : "";
        entry += text;
        if (bracketed) entry += ']';
        return entry;
    };
    if (style & kStyleSelectFolder) addEntry(fixed("Select Folder"), 0);
    if (style & kStyleSaveEntry) addEntry(fixed("Save Preset"), 1);
    if (style & kStyleLoadEntry)
        addEntry(style & kStyleSamples      ? fixed("Load Sample")
                 : !loadEntryText.empty() ? loadEntryText
                                          : fixed("Load Preset"),
                 2);
    if (style & kStyleTitleEntry)
        addEntry(!titleEntryText.empty() ? titleEntryText : style & kStyleSamples ? "--Files--" : "--Presets--", 3,
                 true);
}

void BWOptionMenu::fillFolderMenu(const char* folder, const std::string& extension, int32_t index, bool topLevel) {
    if (index != -1) settingsIndex = index;
    if (!(style & kStyleFileMenu)) return;
    Retained keep(this);
    const std::string extensionCopy = extension;  // may be our own fileExtension
    std::string base;
    if (topLevel) {
        if (folder) {
            folderBuffer = folder;
            appendBackslash(folderBuffer);
        }
        removeAllEntries();
        addFixedEntries();
        base = folderBuffer;
    } else {
        subFolder = folder ? folder : "";
        base = subFolder;
    }
    fileExtension = extensionCopy;
    // No folder lists nothing (not the working folder).
    if (!(style & kStyleFolderTree)) {
        std::vector<std::string> names;
        if (!base.empty()) BWFileChooser::listFolder(base, names, BWFileChooser::kFilesOnly);
        addFileEntries(std::move(names), extensionCopy.c_str(), !topLevel);
        return;
    }
    std::vector<BWDirHelper> records;
    if (!base.empty()) BWFileChooser::listFolderRecursive(base, records, BWFileChooser::kFoldersOnly);
    sortDirEntries(records);
    if (style & kStyleSamples) {
        const SettingsKey settings(getProductName());
        for (int32_t n = 1; n <= kCustomFolderCount; ++n) {
            std::string path;
            const bool found =
                settings.getString(::indexedSettingName("presetuserpath", n + kCustomFolderSettingBase), path) &&
                !path.empty();
            BWOptionMenu* sub = makeFolderSubMenu(kCustomFolderStyle | (style & kStyleAudioList));
            sub->fillFolderMenu(found ? path.c_str() : nullptr, extensionCopy, n + kCustomFolderSettingBase, topLevel);
            addSubMenu(sub, "Custom Folder " + std::to_string(n));
        }
    }
    const bool audio = fileExtension == "wav";
    for (const BWDirHelper& record : records) {
        if (!record.isFolder) continue;
        BWOptionMenu* sub = makeFolderSubMenu(kSubFolderStyle | (audio ? kStyleAudioList : 0));
        sub->fillFolderMenu((record.folder + record.name).c_str(), extensionCopy, -1, topLevel);
        addSubMenu(sub, record.name, record.flag);
    }
}

void BWOptionMenu::addFileEntries(std::vector<std::string> names, const char* extension, bool inSubFolder) {
    sortStrings(names);
    const bool audio = fileExtension.compare(0, 3, "wav") == 0;
    const std::string_view wanted = extension ? extension : "";
    for (const std::string& name : names) {
        if (audio) {
            if (isAudioFileName(name)) addEntry(name, -1, false, nullptr, inSubFolder);
            continue;
        }
        if (wanted.empty()) {
            addEntry(name, -1, false, nullptr, inSubFolder);
            continue;
        }
        // "x.zvp" lists as "x"; a name that is only the extension, or has no
        // dot before it, is no file of this kind.
        const size_t stem = name.size() - std::min(name.size(), wanted.size() + 1);
        if (stem == 0 || !hasSuffix(name, wanted) || name[stem] != '.') continue;
        addEntry(name.substr(0, stem), -1, false, nullptr, inSubFolder);
    }
}

// --- paths ---------------------------------------------------------------------------

bool BWOptionMenu::getFilePath(std::string& destination, const char* extension) {
    if (!(style & kStyleFileMenu)) return false;
    if (!droppedPath.empty()) {
        destination = droppedPath;
        return true;
    }
    if ((style & kStyleFolderTree) && pickedFullPath != "none") {
        destination = pickedFullPath;
        return true;
    }
    if (!entryExists(current)) return false;
    const BWOptionMenuEntryInfo& entry = entries[current];
    destination = entry.inSubFolder && !subFolder.empty() ? subFolder : folderBuffer;
    appendBackslash(destination);
    destination += entry.text;
    if (extension && *extension) {
        const bool anyExtension = std::string_view(extension) == "wav";
        if (!hasExtension(destination, anyExtension ? nullptr : extension)) {
            destination += '.';
            destination += extension;
        }
    }
    return true;
}

void BWOptionMenu::applyFolderChoice(int32_t kind, int32_t index, int32_t choice, std::string fullPath,
                                     std::string name) {
    Retained keep(this);
    switch (kind) {
        case 0: {
            const int32_t at = index + headerCount();
            if (style & kStyleFolderTree) {
                if (!entryExists(at) || !entries[at].subMenu) return;
                BWOptionMenu* sub = entries[at].subMenu;
                sub->setValue(static_cast<float>(choice));
                std::string path;
                if (sub->getFilePath(path, style & kStyleSamples ? nullptr : fileExtension.c_str())) {
                    pickedFullPath = path;
                    pickedName = getBaseName(path);
                }
                value = static_cast<float>(firstSelectable() + 1);
            } else if (style & kStyleFlatIndex) {
                value = static_cast<float>(choice + flattenedCount(headerCount(), at));
            } else {
                setValue(static_cast<float>(at));
            }
            break;
        }
        case 1:
            setValue(style & kStyleSelectFolder ? 1.0f : 0.0f);
            break;
        case 2:
            fillFolderMenu(nullptr, fileExtension, -1, true);
            if (BWWidgetEditor* editor = BWWidgetEditor::of(owner)) editor->reloadPresetLibrary();
            return;
        case 3:
        case 4:
            if (fullPath.empty()) break;
            pickedFullPath = std::move(fullPath);
            pickedName = std::move(name);
            value = kind == 3 ? static_cast<float>(firstSelectable() + 1) : 0.0f;
            break;
        default:
            break;
    }
    report(this, true);
}

// --- stepping ------------------------------------------------------------------------

void BWOptionMenu::stepFolderSelection(int32_t step) {
    Retained keep(this);
    const bool moved = style & kStyleFolderTree ? stepInTree(step) : stepFlat(step);
    if (moved) report(this, true);
}

BWOptionMenu* BWOptionMenu::subMenuHoldingFile(int32_t& fileIndex) const {
    if (!fileName || *fileName == "Empty") return nullptr;
    const std::string& name = *fileName;
    auto matches = [&](const std::string& text) {
        return text == name || (hasDot(text) && !hasDot(name) && getBaseName(text) == name);
    };
    BWOptionMenu* firstMatch = nullptr;
    for (const BWOptionMenuEntryInfo& entry : entries) {
        BWOptionMenu* sub = entry.subMenu;
        if (!sub || !sub->entryExists(sub->current) || !matches(sub->entries[sub->current].text)) continue;
        // The sub-menu of the last step wins when the name is in several.
        if (sub == currentSubMenu) {
            fileIndex = sub->current;
            return sub;
        }
        if (!firstMatch) firstMatch = sub;
    }
    if (firstMatch) {
        fileIndex = firstMatch->current;
        return firstMatch;
    }
    const std::string base = getBaseName(name);
    for (const BWOptionMenuEntryInfo& entry : entries)
        if (entry.subMenu && (fileIndex = entry.subMenu->findEntryByBaseName(base)) >= 0) return entry.subMenu;
    return nullptr;
}

bool BWOptionMenu::stepInTree(int32_t step) {
    // Custom-folder sub-menus keep their files from index 2 on.
    auto firstFile = [](const BWOptionMenu* m) { return m->style & kStyleSamples ? 2 : 0; };
    auto hasFiles = [&](const BWOptionMenu* m) { return m && m->getNumEntries() > firstFile(m); };
    int32_t fileIndex = -1;
    BWOptionMenu* found = subMenuHoldingFile(fileIndex);
    BWOptionMenu* chosen = nullptr;
    int32_t chosenIndex = 0;
    if (!found) {
        for (const BWOptionMenuEntryInfo& entry : entries)
            if (hasFiles(entry.subMenu)) {
                chosen = entry.subMenu;
                chosenIndex = firstFile(chosen);
                break;
            }
    } else {
        int32_t next = fileIndex + step;
        if (next < firstFile(found)) next = step > 0 ? firstFile(found) : -1;
        const int32_t at = indexOfSubMenu(found);
        if (next >= found->getNumEntries()) {
            for (int32_t i = at + 1; i < getNumEntries() && !chosen; ++i)
                if (hasFiles(entries[i].subMenu)) {
                    chosen = entries[i].subMenu;
                    chosenIndex = firstFile(chosen);
                }
        } else if (next < 0) {
            for (int32_t i = at - 1; i >= 0 && !chosen; --i)
                if (hasFiles(entries[i].subMenu)) {
                    chosen = entries[i].subMenu;
                    chosenIndex = chosen->getNumEntries() - 1;
                }
        } else {
            chosen = found;
            chosenIndex = next;
        }
    }
    if (!chosen) return false;  // nothing to step to
    chosen->setValue(static_cast<float>(chosenIndex));
    if (style & kStyleMarkSelection) markSelection(chosen);
    std::string path;
    if (!chosen->getFilePath(path, fileExtension.c_str())) return false;
    currentSubMenu = chosen;
    pickedFullPath = path;
    pickedName = getBaseName(path);
    value = static_cast<float>(kSteppedFile);
    return true;
}

void BWOptionMenu::markSelection(BWOptionMenu* chosen) {
    for (BWOptionMenuEntryInfo& entry : entries)
        if (entry.subMenu) entry.subMenu->selectionSubMenu = -1;
    selectionSubMenu = indexOfSubMenu(chosen);
    chosen->selectionSubMenu = truncated(chosen->getValue());
}

bool BWOptionMenu::stepFlat(int32_t step) {
    const int32_t count = getNumEntries(), header = headerCount();
    const int32_t at = fileName ? findEntry(*fileName) : -1;
    int32_t next = at + step;
    if (next >= count)
        next = header;
    else if (next < header)
        next = step < 0 ? count - 1 : header;
    if (next < header || next >= count) return false;  // no files
    setValue(static_cast<float>(next));
    std::string path;
    if (getFilePath(path, fileExtension.c_str())) {
        pickedFullPath = path;
        pickedName = getBaseName(path);
    }
    return true;
}

// --- random pick ---------------------------------------------------------------------

void BWOptionMenu::pickRandomFile(int32_t category, bool notify) {
    if (entries.empty()) return;
    Retained keep(this);
    BWOptionMenu* sub = nullptr;
    if (category < 0) {
        std::vector<BWOptionMenu*> pool;
        for (const BWOptionMenuEntryInfo& entry : entries)
            if (entry.subMenu && entry.subMenu->getNumEntries() >= 2) pool.push_back(entry.subMenu);
        if (pool.empty()) return;
        platform::msvcSrand(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this)) +
                            static_cast<uint32_t>(std::time(nullptr)));
        sub = pool[static_cast<size_t>(platform::msvcRand()) % pool.size()];
    } else if (category >= getNumEntries()) {
        for (const BWOptionMenuEntryInfo& entry : entries)
            if (entry.subMenu) sub = entry.subMenu;
    } else {
        sub = entries[category].subMenu;
    }
    // No sub-menu, or an empty one: nothing to pick from.
    if (!sub || sub->getNumEntries() == 0) return;
    const int32_t r = platform::msvcRand() % sub->getNumEntries();
    std::string path;
    if (!sub->getFilePath(path, fileExtension.c_str())) return;
    value = static_cast<float>(r);
    pickedName = sub->entries[r].text;
    pickedFullPath = sub->folderBuffer + pickedName;
    if (pickedName.find('.') == std::string::npos) pickedFullPath += "." + fileExtension;
    if (!notify) return;
    value = static_cast<float>(headerCount());
    report(this, false);
}

// --- drops ---------------------------------------------------------------------------

void BWOptionMenu::onDragEnter(CDragContainer* drag, const CPoint&) {
    if (!(style & kStyleAcceptDrop) || !drag) return;
    int32_t length = 0, type = kDragEnd;
    if (!drag->first(length, type) || type != kDragFile) return;
    if (auto* container = dynamic_cast<WinDragContainer*>(drag)) container->effect = 1;
}

bool BWOptionMenu::onDrop(CDragContainer* drag, const CPoint&) {
    if (!(style & kStyleAcceptDrop) || !drag) return false;
    Retained keep(this);
    int32_t length = 0, type = kDragEnd;
    const void* item = drag->first(length, type);
    if (!item || type != kDragFile) return false;
    droppedPath = static_cast<const char*>(item);
    value = static_cast<float>(kSteppedFile);
    report(this, false);
    droppedPath.clear();
    return true;
}

}  // namespace VSTGUI
