#include "CaughtException.h"

#include <windows.h>

#include <exception>
#include <string>

#include "ComponentError.h"

void ReportCaughtException([[maybe_unused]] const wchar_t* boundary) noexcept {
#ifndef NDEBUG
    try {
        std::wstring text = L"Verdaly: ";
        text += boundary;
        text += L" caught ";
        try {
            throw;
        } catch (const ComponentError& e) {
            text += L"error " + std::to_wstring(e.Number()) + L" (" + e.Source() + L"): " + e.Description();
        } catch (const std::exception& e) {
            const std::string what = e.what();
            text += L"an exception: " + std::wstring(what.begin(), what.end());
        } catch (...) {
            text += L"an exception of unknown type";
        }
        text += L"\n";
        OutputDebugStringW(text.c_str());
    } catch (...) {
        OutputDebugStringW(L"Verdaly: an exception was caught at a callback boundary\n");
    }
#endif
}
