// The ids of the windows' controls and menu commands. The pictures and
// labels of the main window have no window of their own (the window draws
// them); their ids name them all the same, for MainWindow::controlRect and
// the tests.
#pragma once

namespace tunebelt::win32 {

enum ControlId : int {
  kImgTitle = 1001,
  kImgLeftside,
  kImgAdd,
  kImgPlaylist,
  kImgRemove,
  kImgWriteScript,
  kImgRightside,
  kImgAddb,
  kImgPlaylistb,
  kImgRemoveb,
  kImgWriteScriptb,
  kImgPlbg,
  kImgEnglish,
  kImgGerman,
  kImgModFold,
  kCmdTrackup,
  kCmdTrackDown,
  kLblModPath,
  kLblBrowse,
  kLblDragCaption,
  kLblCacheSize,
  kLblTunebelt,
  kLblVelloran,
  // Windows of their own.
  kCboSteamFolder = 1101,
  kLstPlaylist,
  kChkDelete,
};

enum MenuId : int {
  kMnuAddTrack = 2001,
  kMnuAddPlaylist,
  kMnuRemove,
  kMnuSaveScript,
  kMnuExit,
  kMnuDev,
  kMnuOptions,
  kMnuRemoveFromMod,
  kMnuEnglish,
  kMnuGerman,
  kMnuReadme,
  kMnuAbout,
};

// The progress window.
enum ProgressId : int {
  kImgGen = 3001,
  kImgGenb,
  kImgCopy,
  kImgCopyb,
  kImgComp,
  kImgCompb,
  kPrgFilecopy,
  kTxtScript,
};

// The options dialog (Ok and Cancel take the system's ids, so Enter and
// Escape reach them).
enum OptionsId : int {
  kCboMP3Vol = 4001,
  kCboGameVol,
  kCmdApply,
  kChkLevel,
  kLblBitrate,
  kCboBitrate,
  kCmdOk = 1,      // IDOK
  kCmdCancel = 2,  // IDCANCEL
};

}  // namespace tunebelt::win32
