#include "IconText.h"

#include <wincrypt.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "winmsg/win/Handles.h"
#include "winmsg/win/ScreenDC.h"

namespace {

#pragma pack(push, 2)
struct IconDir {
    WORD reserved;
    WORD type;  // 1: icon
    WORD count;
};
struct IconDirEntry {
    BYTE width;  // 0 means 256
    BYTE height;
    BYTE colors;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    DWORD offset;
};
#pragma pack(pop)

// The rows of `bitmap` as a bottom-up DIB of `bits` per pixel; empty on failure.
std::vector<BYTE> Rows(HBITMAP bitmap, int width, int height, WORD bits, size_t stride) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD palette[2];
    } info{};
    info.header = {sizeof(BITMAPINFOHEADER), width, height, 1, bits, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<BYTE> rows(stride * static_cast<size_t>(height));
    const HDC screen = ScreenDC();
    if (!screen || GetDIBits(screen, bitmap, 0, static_cast<UINT>(height), rows.data(),
                                   reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != height)
        return {};
    return rows;
}

std::vector<BYTE> IconFileBytes(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return {};
    UniqueBitmap mask(info.hbmMask);
    UniqueBitmap color(info.hbmColor);
    BITMAP bm{};
    if (!mask || !color || !GetObjectW(color.Get(), sizeof bm, &bm)) return {};
    const int w = bm.bmWidth, h = bm.bmHeight;
    if (w <= 0 || h <= 0 || w > 256 || h > 256) return {};
    const size_t colorStride = static_cast<size_t>(w) * 4;
    const size_t maskStride = static_cast<size_t>((w + 31) / 32) * 4;
    const std::vector<BYTE> pixels = Rows(color.Get(), w, h, 32, colorStride);
    const std::vector<BYTE> bitsOfMask = Rows(mask.Get(), w, h, 1, maskStride);
    if (pixels.empty() || bitsOfMask.empty()) return {};

    // The image inside an icon file: its header counts the colour rows and the mask rows as one height.
    BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), w, h * 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD imageBytes = static_cast<DWORD>(sizeof header + pixels.size() + bitsOfMask.size());
    const IconDir dir{0, 1, 1};
    const IconDirEntry entry{static_cast<BYTE>(w & 0xFF), static_cast<BYTE>(h & 0xFF), 0, 0, 1, 32, imageBytes,
                             sizeof dir + sizeof entry};
    std::vector<BYTE> file;
    auto append = [&file](const void* data, size_t size) {
        const BYTE* p = static_cast<const BYTE*>(data);
        file.insert(file.end(), p, p + size);
    };
    append(&dir, sizeof dir);
    append(&entry, sizeof entry);
    append(&header, sizeof header);
    append(pixels.data(), pixels.size());
    append(bitsOfMask.data(), bitsOfMask.size());
    return file;
}

}  // namespace

std::wstring IconToText(HICON icon) {
    const std::vector<BYTE> file = IconFileBytes(icon);
    if (file.empty()) return {};
    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    DWORD chars = 0;
    if (!CryptBinaryToStringW(file.data(), static_cast<DWORD>(file.size()), flags, nullptr, &chars)) return {};
    std::wstring text(chars, L'\0');
    if (!CryptBinaryToStringW(file.data(), static_cast<DWORD>(file.size()), flags, text.data(), &chars)) return {};
    text.resize(chars);
    while (!text.empty() && (text.back() == L'\0' || text.back() == L'\r' || text.back() == L'\n')) text.pop_back();
    return text;
}

HICON IconFromText(std::wstring_view text) {
    if (text.empty()) return nullptr;
    DWORD bytes = 0;
    const DWORD length = static_cast<DWORD>(text.size());
    if (!CryptStringToBinaryW(text.data(), length, CRYPT_STRING_BASE64, nullptr, &bytes, nullptr, nullptr))
        return nullptr;
    std::vector<BYTE> file(bytes);
    if (!CryptStringToBinaryW(text.data(), length, CRYPT_STRING_BASE64, file.data(), &bytes, nullptr, nullptr))
        return nullptr;
    file.resize(bytes);
    // Everything the entry names must lie inside the data.
    IconDir dir{};
    IconDirEntry entry{};
    if (file.size() < sizeof dir + sizeof entry) return nullptr;
    std::memcpy(&dir, file.data(), sizeof dir);
    std::memcpy(&entry, file.data() + sizeof dir, sizeof entry);
    if (dir.reserved != 0 || dir.type != 1 || dir.count < 1) return nullptr;
    if (entry.offset > file.size() || entry.bytes > file.size() - entry.offset || entry.bytes < sizeof(BITMAPINFOHEADER))
        return nullptr;
    const int w = entry.width ? entry.width : 256;
    const int h = entry.height ? entry.height : 256;
    return CreateIconFromResourceEx(file.data() + entry.offset, entry.bytes, TRUE, 0x00030000, w, h,
                                    LR_DEFAULTCOLOR);
}
