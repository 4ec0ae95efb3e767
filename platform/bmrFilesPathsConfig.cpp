#include "platform/bmrFilesPathsConfig.h"

#include "platform/rtlAsciiCase.h"

// "COMMONDOCUMENTS" stands twice, with one folder number: its lookups run twice and find one
// folder, and the template keeps the later row's code.
const std::array<TPathSolveConfig, kPathSolveConfigCount> PathSolveConfig = {{
    {-1, "FIXEDDRIVES", "AA"},
    {-1, "SYSDRIVE", "AB"},
    {36, "WINDIR", "AC"},  // CSIDL_WINDOWS
    {-1, "WINDIR2", "AD"},
    {37, "SYSDIR", "AE"},  // CSIDL_SYSTEM
    {-1, "SYSDIR2", "AF"},
    {20, "FONTS", "AG"},    // CSIDL_FONTS
    {3, "CONTROLS", "AH"},  // CSIDL_CONTROLS
    {-1, "SYSCPLDIR", "AI"},
    {-1, "PATH", "AJ"},
    {38, "PROGRAMFILES", "AK"},        // CSIDL_PROGRAM_FILES
    {43, "COMMONPROGRAMFILES", "AL"},  // CSIDL_PROGRAM_FILES_COMMON
    {62, "PROFILES", "AM"},            // CSIDL_PROFILES
    {40, "PROFILE", "AN"},             // CSIDL_PROFILE
    {26, "APPDATA", "AO"},             // CSIDL_APPDATA
    {-1, "QUICKLAUNCH", "AP"},
    {0, "ADESKTOP", "AQ"},    // CSIDL_DESKTOP
    {16, "DESKTOP", "AR"},    // CSIDL_DESKTOPDIRECTORY
    {6, "FAVORITES", "AS"},   // CSIDL_FAVORITES
    {-1, "LOCALSETTINGS", "AT"},
    {28, "LOCALAPPDATA", "AU"},   // CSIDL_LOCAL_APPDATA
    {5, "PERSONAL", "AV"},        // CSIDL_PERSONAL
    {12, "MYDOCUMENTS", "AW"},    // CSIDL_MYDOCUMENTS
    {13, "MYMUSIC", "AX"},        // CSIDL_MYMUSIC
    {14, "MYVIDEO", "AY"},        // CSIDL_MYVIDEO
    {19, "NETHOOD", "AZ"},        // CSIDL_NETHOOD
    {27, "PRINTHOOD", "BA"},      // CSIDL_PRINTHOOD
    {8, "RECENT", "BB"},          // CSIDL_RECENT
    {9, "SENDTO", "BC"},          // CSIDL_SENDTO
    {11, "STARTMENU", "BD"},      // CSIDL_STARTMENU
    {2, "PROGRAMS", "BE"},        // CSIDL_PROGRAMS
    {29, "ALTSTARTUP", "BF"},     // CSIDL_ALTSTARTUP
    {7, "STARTUP", "BG"},         // CSIDL_STARTUP
    {21, "TEMPLATES", "BH"},      // CSIDL_TEMPLATES
    {35, "COMMONAPPDATA", "BI"},  // CSIDL_COMMON_APPDATA
    {-1, "COMMONQUICKLAUNCH", "BJ"},
    {25, "COMMONDESKTOP", "BK"},       // CSIDL_COMMON_DESKTOPDIRECTORY
    {46, "COMMONDOCUMENTS", "BL"},     // CSIDL_COMMON_DOCUMENTS
    {46, "COMMONDOCUMENTS", "BM"},     // CSIDL_COMMON_DOCUMENTS
    {53, "COMMONMUSIC", "BN"},         // CSIDL_COMMON_MUSIC
    {55, "COMMONVIDEO", "BO"},         // CSIDL_COMMON_VIDEO
    {31, "COMMONFAVORITES", "BP"},     // CSIDL_COMMON_FAVORITES
    {22, "COMMONSTARTMENU", "BQ"},     // CSIDL_COMMON_STARTMENU
    {23, "COMMONPROGRAMS", "BR"},      // CSIDL_COMMON_PROGRAMS
    {30, "COMMONALTSTARTUP", "BS"},    // CSIDL_COMMON_ALTSTARTUP
    {24, "COMMONSTARTUP", "BT"},       // CSIDL_COMMON_STARTUP
    {45, "COMMONTEMPLATES", "BU"},     // CSIDL_COMMON_TEMPLATES
    {-1, "TEMP", "BV"},
    {-1, "MOZILLAPROFILE", "BW"},
}};

std::string PathSolveCode(const std::string& name) {
  for (auto row = PathSolveConfig.rbegin(); row != PathSolveConfig.rend(); ++row) {
    if (rtl::SameTextAscii(name, row->Name)) return row->Code;
  }
  return {};
}
