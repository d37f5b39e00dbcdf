#pragma once
// One photo transfer: the body streams in chunks into a temporary file in the save folder, so memory stays
// bounded and a failed or cut transfer never leaves a half-written photo or touches an earlier file.

#include <windows.h>

#include <string>

enum class PhotoOutcome { Saved, TimedOut, Failed, Quit };

struct PhotoDownload {
    PhotoOutcome outcome = PhotoOutcome::Failed;
    std::wstring tempFile;  // holds the whole photo when outcome is Saved; the caller renames or deletes it
    DWORD status = 0;
};

// Waits with window messages processed. The time limit counts from the start of the transfer; at the limit
// (or when the program quits) the wait ends by itself and the temporary file goes as soon as the worker lets
// go of it, even when the program ends first. Only a 2xx answer with a non-empty, complete body is Saved.
PhotoDownload DownloadToTempFile(const std::wstring& url, const std::wstring& folder, DWORD limitMs);
