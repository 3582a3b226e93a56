#pragma once
// Command numbers of the menus, accelerators and toolbar. Each QAction's
// objectName is its number, so tests and scripts can find it.

namespace twick {

enum Command : int {
  kCmdDecode = 57601,
  kCmdEncode = 57604,
  kCmdConvert = 32792,
  kCmdExit = 57665,
  kCmdToolBar = 59392,
  kCmdStatusBar = 59393,
  kCmdClearScreen = 57632,
  kCmdMime = 32775,
  kCmdUU = 32776,
  kCmdXX = 32777,
  kCmdBtoa = 32778,
  kCmdBinHex = 32779,
  kCmdDropDecode = 32773,
  kCmdDropEncode = 32774,
  kCmdAutoDecode1 = 32780,
  kCmdAutoDecode2 = 32781,
  kCmdAutoDecodeOff = 32782,
  kCmdFonts = 32772,
  kCmdDirectories = 32785,
  kCmdPause = 32790,
  kCmdUseDefName = 32784,
  kCmdOverwrite = 32788,
  kCmdSaveSettings = 32787,
  kCmdHelpContents = 32791,
  kCmdAbout = 57664,
};

}  // namespace twick
