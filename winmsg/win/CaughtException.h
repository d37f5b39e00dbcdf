#pragma once
// For the catch blocks at the platform's boundaries (window procedures, timer callbacks): a C++ exception must
// not unwind through user32, so it is caught there. Debug builds say what was caught; release builds stay quiet.

// Call from inside a catch block only: it looks at the exception being handled. `boundary` names the catcher.
void ReportCaughtException(const wchar_t* boundary) noexcept;
