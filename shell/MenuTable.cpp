#include "shell/MenuTable.h"

#include "shell/Commands.h"

namespace twick {

namespace {

constexpr MenuItem kSeparator{0, nullptr, nullptr, nullptr};

constexpr MenuItem kFileMenu[] = {
    {kCmdDecode, "&Decode...\tF2", "Open a file for decoding", "Decode file"},
    {kCmdEncode, "&Encode...\tF3", "Open a file for encoding", "Encode file"},
    kSeparator,
    {kCmdConvert, "&Convert...\tF4", "Convert a file into PC Dos/Windows format --> CR/LF",
     nullptr},
    kSeparator,
    {kCmdExit, "E&xit", "Quit the application", "Exit"},
};

constexpr MenuItem kViewMenu[] = {
    {kCmdToolBar, "&Toolbar", "Show or hide the toolbar", "Toggle ToolBar"},
    {kCmdStatusBar, "&Status Bar", "Show or hide the status bar", "Toggle StatusBar"},
    kSeparator,
    {kCmdClearScreen, "&Clear Screen", "Clear the view window", "Clear Screen"},
};

constexpr MenuItem kCodingMenu[] = {
    {kCmdMime, "&MIME (base64)", "MIME (base 64)", "MIME"},
    {kCmdUU, "&UUD/UUE", "UU coding format", "UU"},
    {kCmdXX, "&XXD/XXE", "XX coding format", "XX"},
    {kCmdBtoa, "&AtoB/BtoA (base85)", "AtoB/BtoA (base 85)", "AtoB/BtoA"},
    {kCmdBinHex, "&BinHex", "BinHex (decoding only)", "BinHex"},
};

constexpr MenuItem kOptionsMenu[] = {
    {kCmdDropDecode, "On Drop &Decode", "File will be decoded when dropped into window", nullptr},
    {kCmdDropEncode, "On Drop &Encode", "File will be encoded when dropped into window", nullptr},
    kSeparator,
    {kCmdAutoDecode1, "AutoDecode-&1", "Automatic select the correct decoding format",
     "Auto decoding 1"},
    {kCmdAutoDecode2, "AutoDecode-&2", "Automatic select the correct decoding format",
     "Auto decoding 2"},
    {kCmdAutoDecodeOff, "AutoDecode &OFF", "Manual decoding! User specify the decoding format",
     "Manual decoding"},
    kSeparator,
    {kCmdFonts, "&Fonts", "Change window display font", "Change Fonts"},
};

constexpr MenuItem kSettingsMenu[] = {
    {kCmdDirectories, "&Directories...", "Set default En/Decoding directories", nullptr},
    {kCmdPause, "&Pause after De/Encode", "Stops and wait for input after De/Encoding", nullptr},
    {kCmdUseDefName, "Use Default &Filename", "Use default filename in En/Decoding", nullptr},
    {kCmdOverwrite, "&Overwrite", "Overwrite files without prompting", nullptr},
    kSeparator,
    {kCmdSaveSettings, "&Save Settings", "Save current settings as default", nullptr},
};

constexpr MenuItem kHelpMenu[] = {
    {kCmdHelpContents, "&Help Contents", "View the Help file", nullptr},
    {kCmdAbout, "&About Tarnwick32...", "Program information, Version number and Copyright",
     "About"},
};

constexpr MenuDef kMenus[] = {
    {"&File", kFileMenu},       {"&View", kViewMenu},         {"&Coding", kCodingMenu},
    {"&Options", kOptionsMenu}, {"&Settings", kSettingsMenu}, {"&Help", kHelpMenu},
};

}  // namespace

std::span<const MenuDef> MainMenus() { return kMenus; }

const MenuItem* FindMenuItem(int id) {
  for (const MenuDef& menu : kMenus) {
    for (const MenuItem& item : menu.items) {
      if (item.id == id) return &item;
    }
  }
  return nullptr;
}

}  // namespace twick
