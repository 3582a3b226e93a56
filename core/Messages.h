#pragma once
// The texts and captions the program shows the user, kept in one place so
// that every job and every front end says the same thing the same way.

#include <cstddef>
#include <string>

namespace twick {

/// Caption that stands in when a message has none of its own.
inline constexpr const char* kAppName = "twick32";

// Captions.
inline constexpr const char* kFileErrorCaption = "File Error:";
inline constexpr const char* kMemoryErrorCaption = "Memory Error:";
inline constexpr const char* kNoticeCaption = "Notice:";
inline constexpr const char* kMissingNameCaption = "Notice!";
inline constexpr const char* kContentErrorCaption = "Content Error:";
inline constexpr const char* kDetectionErrorCaption = "Content Detection Error:";
inline constexpr const char* kConverterCaption = "Tarnwick32";

// Sources and outputs.
inline constexpr const char* kUnreadableSourceText = "Unable to read selected file!";
inline constexpr const char* kDecodingAbortedText = "Decoding aborted!";
inline constexpr const char* kEncodingAbortedText = "Encoding aborted!";
inline constexpr const char* kConversionAbortedText = "Conversion Aborted!";
inline constexpr const char* kDecodeFileExistsText =
    "File already exists! You'll need to change the output filename";
inline constexpr const char* kEncodeFileExistsText =
    "File already exists! You'll need to change the output filename.";
inline constexpr const char* kConvertFileExistsText = "Output file already exists!";
inline constexpr const char* kNoOutputFolderText = "The output folder does not exist:";
inline constexpr const char* kOutputFolderIsFileText = "The output folder is not a folder:";
inline constexpr const char* kOutputFolderFailedText = "Unable to create the output folder:";

/// The longest path a message shows whole, in bytes.
inline constexpr size_t kLongestPathShown = 1024;

/// `path` as a message shows it: a longer one than kLongestPathShown keeps
/// its beginning and its end with "..." between them, cut between UTF-8
/// characters. Only the text shown is cut, never the path used.
inline std::string ShownPath(const std::string& path) {
  if (path.size() <= kLongestPathShown) return path;
  auto continues = [&](size_t at) { return (static_cast<unsigned char>(path[at]) & 0xC0) == 0x80; };
  const size_t kept = (kLongestPathShown - 3) / 2;
  size_t headEnd = kept;
  while (headEnd > 0 && continues(headEnd)) --headEnd;
  size_t tailStart = path.size() - kept;
  while (tailStart < path.size() && continues(tailStart)) ++tailStart;
  return path.substr(0, headEnd) + "..." + path.substr(tailStart);
}

/// The output named by `path` could not be created or written; `aborted`
/// says what stopped (kDecodingAbortedText, ...).
inline std::string OutputFailedText(const std::string& path, const char* aborted) {
  return "Error creating/writing to output file:\n" + ShownPath(path) + "\n" + aborted;
}

/// The check values of a decoded file (BinHex CRCs, the btoa end line) do
/// not match its bytes, or are missing; the file is kept as decoded.
inline constexpr const char* kSavedDamagedText =
    "The file was saved, but it is damaged or incomplete.";
inline constexpr const char* kSavedIncompleteText = "The file was saved, but it is incomplete.";
inline std::string DamagedOutputText(const std::string& path) {
  return "The decoded data does not match its check values:\n" + ShownPath(path) + "\n" +
         kSavedDamagedText;
}
/// A section ended before its closing line, or parts of a split file are
/// missing; the file is kept as decoded.
inline std::string IncompleteOutputText(const std::string& path, const std::string& detail) {
  return "The encoded data ends before the file is complete:\n" + ShownPath(path) + "\n" + detail +
         "\n" + kSavedIncompleteText;
}

/// A yEnc file or part whose length or CRC-32 differs from what its header
/// and end line give, or whose bytes are missing; the file is kept as decoded.
inline std::string YEncChecksText(const std::string& path, const std::string& detail) {
  return "The decoded data does not match its length or CRC-32:\n" + ShownPath(path) + "\n" +
         detail + "\nThe file was saved, but it is damaged or incomplete.";
}

// Memory.
inline constexpr const char* kNoDecodeMemoryText =
    "Cannot allocate enough memory for decoding!\n"
    "Closing a few running applications might help.";
inline constexpr const char* kNoEncodeMemoryText = "Not enough memory for encoding!";

// Finding sections.
inline constexpr const char* kSavedUnderSourceNameText =
    "Tarnwick will save the output file using the input filename.";
// The same for a listing, which writes no file.
inline constexpr const char* kListedDamagedText =
    "Nothing was written (--list); the section is damaged or incomplete.";
inline constexpr const char* kListedIncompleteText =
    "Nothing was written (--list); the section is incomplete.";
inline constexpr const char* kListedUnderSourceNameText =
    "The section is listed under the input filename.";
inline constexpr const char* kMissingNameText =
    "The default output filename was not found!\nEncoded contents may be corrupted.\n"
    " Tarnwick will save the output file using the input filename.";
inline constexpr const char* kNameTooLongText =
    "The output filename in the header is too long!\n"
    "Tarnwick will save the output file using the input filename.";
inline constexpr const char* kNoHeaderFoundText =
    "Unable to find file header info!\nPlease do a manual decoding (autodecoding-OFF) and "
    "try all of the possible coding formats on the file.";
inline constexpr const char* kUnknownFormatText =
    "Unable to determine file's encoded format!\nPlease try a different \"Auto-Decoding\" "
    "mode, or manually decode the file with \"Auto-Decode OFF\".";
/// A MIME attachment in a transfer encoding the program does not know;
/// nothing is saved for it.
inline std::string UnknownEncodingText(const std::string& name, const std::string& encoding) {
  return "The attachment " + ShownPath(name) +
         " uses an encoding the program cannot decode: " + encoding + ".";
}

// How a job ended: its status line and the output list's failure entry.
inline constexpr const char* kDecodeDoneStatus = "Finished Decoding!";
inline constexpr const char* kDecodeAbortedStatus = "Decoding Aborted!";
inline constexpr const char* kDecodeFailedEntry = "Decoding Operation Failed!";
inline constexpr const char* kEncodeDoneStatus = "Finished Encoding File!";
inline constexpr const char* kEncodeAbortedStatus = "Encoding Aborted!";
inline constexpr const char* kEncodeFailedEntry = "Encoding Operation Failed!";
inline constexpr const char* kNoBinHexEncodingText =
    "Tarnwick32 supports BinHex decoding, but not encoding.\n"
    "If you would like to encode the selected file, please change the coding format.";

// The converter.
inline constexpr const char* kNoFileSelectedText = "No file selected!";
inline constexpr const char* kConversionDoneText = "Conversion Done!";

// The Save Settings command.
inline constexpr const char* kSaveFailedText = "Unable to save settings to INI file!";
inline constexpr const char* kSaveFailedCaption = "Error:";
inline constexpr const char* kSaveDoneText = "All settings have been saved!";
inline constexpr const char* kSaveDoneCaption = "";  // the application's name

}  // namespace twick
