#pragma once

// The numbered commands of the HTML editor (HtmlEditor::execCommand and
// queryStatus): command ids, execution options and command states. They
// address the FormattingController's commands by number, for callers that
// keep a command as a number; the numbers never change.

namespace folio {

namespace EditCommand {
inline constexpr int Bold = 5000;
inline constexpr int Copy = 5002;
inline constexpr int Cut = 5003;
inline constexpr int FindText = 5008;
inline constexpr int Font = 5009;
inline constexpr int GetFontName = 5013;
inline constexpr int GetFontSize = 5014;
inline constexpr int Italic = 5023;
inline constexpr int JustifyCenter = 5024;
inline constexpr int JustifyLeft = 5025;
inline constexpr int JustifyRight = 5026;
inline constexpr int Paste = 5032;
inline constexpr int SelectAll = 5035;
inline constexpr int SetFontName = 5044;
inline constexpr int SetFontSize = 5045;
inline constexpr int SetForeColor = 5046;
inline constexpr int Underline = 5048;
inline constexpr int Undo = 5049;
inline constexpr int UnorderList = 5051;
} // namespace EditCommand

namespace CommandOption {
inline constexpr int Default = 0;
inline constexpr int PromptUser = 1;
inline constexpr int DontPromptUser = 2;
} // namespace CommandOption

namespace CommandState {
inline constexpr int NotSupported = 0;
inline constexpr int Disabled = 1;
inline constexpr int Enabled = 3;
// Enabled, and the whole selection has the property (bold, centred, ...).
inline constexpr int Latched = 7;
// Enabled, and the selection is mixed: part has the property, part not.
inline constexpr int Ninched = 11;
} // namespace CommandState

} // namespace folio
