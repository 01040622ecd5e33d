#pragma once
// The program's string table: every user-visible text, the settings key path and value names, the log
// header and the unknown-swipe file name, loaded by number as the resource compiler would give them.

#include <string>

namespace Resources {

enum StringId : unsigned {
    IDS_ABOUTBOX = 101,           // "&About Kestrin..."
    IDS_UNKNOWN_DL = 102,         // "Unknown DL"
    IDS_READY = 103,              // "Ready!"
    IDS_EXP_DATE = 105,           // "Exp. Date "
    IDS_CAPTION = 107,            // "Orbelon Kestrin"
    IDS_DEFAULT_LOG_NAME = 110,   // "Kestrin Log"
    IDS_SETTINGS_KEY = 111,       // "SOFTWARE\Orbelon\Kestrin"
    IDS_LINE_END = 114,           // CR LF
    IDS_VERSION = 116,            // "1.4.4.62"
    IDS_MAIL_TARGET = 117,        // "mailto:" address of the maker
    IDS_WEB_TARGET = 118,         // web address of the maker
    IDS_NOT_AVAILABLE = 119,      // "N/A"
    IDS_LOG_FOLDER = 121,         // "Log Folder"
    IDS_LOG_NAME = 122,           // "Log Name"
    IDS_DEFAULT_LOG_FOLDER = 123, // "My Log Files"
    IDS_ENABLE_LOG = 128,         // "Enable Log"
    IDS_ENABLE_COMMENTS = 130,    // "Enable Comments"
    IDS_PRODUCT = 131,            // "Kestrin Advanced"
    IDS_CANNOT_CONTINUE = 139,    // "Cannot continue.\nPlease reinstall the program!"
    IDS_ERROR_CAPTION = 140,      // "error"
    IDS_UNKNOWN_FILE = 148,       // "\unknowndl.txt"
    IDS_APP_FOLDER = 155,         // "App Folder"
    IDS_LOG_NUMBER = 159,         // "Log Number"
    IDS_HELP_FILE = 160,          // "KestrinHelp.pdf"
    IDS_CANNOT_OPEN_HELP = 161,   // "Cannot open help file."
    IDS_ENABLE_ONTOP = 165,       // "Enable Ontop"
    IDS_VALID_AGE = 166,          // "Valid Age"
    IDS_LOG_HEADER = 167,         // the 19 quoted column names and CR LF
    IDS_COUNT_VALID_ONLY = 170,   // "Count Valid DL Only"
    IDS_KEEP_DAYS = 171,          // "Keep Days"
    IDS_LOG_PERSONAL_DATA = 172,  // "Log Personal Data"
    IDS_FULL_SCREEN = 180,        // "Full Screen"
    IDS_READER_LAYOUT = 181,      // "Reader Layout"
    IDS_MDL_TRUST_FOLDER = 190,   // "mDL Trust Folder"
    IDS_VERDICT_DELAY = 191,      // "Verdict Delay"
};

// The text of string `id`, or an empty text when the table has no such string.
std::string String(unsigned id);

// A string that holds a Windows-relative path ("\unknowndl.txt"), with its backslashes turned into this
// platform's separator, ready to be appended to a folder.
std::string PathString(unsigned id);

} // namespace Resources
