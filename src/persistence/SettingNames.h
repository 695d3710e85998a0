#pragma once
// The names of the values in the product's settings key.  Names that end in
// an index ("presetpath0", "presetpath1", ...) are given as their base;
// indexedSettingName (Settings.h) adds the index.

namespace SettingNames {

// Folders (string values).
inline constexpr char kContentPath[] = "contentpath";            // root of all content folders
inline constexpr char kInstallPath[] = "installpath";            // holds "Manual/Manual.htm"
inline constexpr char kInstrumentsPath[] = "InstrumentsPath";    // the instrument library
inline constexpr char kSamplesPath[] = "SamplesPath";
inline constexpr char kChordBanksPath[] = "Chord BanksPath";     // the chord banks' own folder value
inline constexpr char kCcSavePath[] = "cc savepath";             // content folder + "CC Maps/"
inline constexpr char kAudioFilePath[] = "audiofilepath";        // content folder + "Samples/Factory/"
inline constexpr char kLibraryPath[] = "librarypath";            // shown as "not set" when missing
inline constexpr char kPresetPathBase[] = "presetpath";          // + kind: folder of a preset kind
inline constexpr char kPresetSavePathBase[] = "presetsavepath";  // + kind: where that kind is saved
inline constexpr char kPresetUserPathBase[] = "presetuserpath";  // + n: "Custom Folder n" of the menus
// A content kind with a value of its own keeps its save folder under that
// value's name followed by this suffix ("Chord BanksPathsave").
inline constexpr char kSaveFolderSuffix[] = "save";

// Options (32-bit values; non-zero means on).
inline constexpr char kUpdatePaths[] = "updatePathes";           // set the content paths up at the next start
inline constexpr char kIgnoreProgramChange[] = "ignorePrgChange";
inline constexpr char kCcMapRecallIsolate[] = "CC Map Recall isolate";
inline constexpr char kNoSilentOptimisation[] = "NoSilentOpt";
inline constexpr char kAllNotesOffAfterLoad[] = "allnotesoffafterload";
inline constexpr char kResaveAllPresets[] = "resaveallpresets";

// The window's zoom (32-bit values).
inline constexpr char kNoResize[] = "noresize";
inline constexpr char kForceResize[] = "forceresize";
inline constexpr char kResizeFactorBase[] = "resizefactor";      // + index: the stored zoom in percent

}  // namespace SettingNames
