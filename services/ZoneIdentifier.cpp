#include "ZoneIdentifier.h"

#include "winmsg/Utf8.h"

std::string ZoneIdentifierText(std::wstring_view hostUrl) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text = "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=";
    for (const unsigned char byte : WideToUtf8(hostUrl)) {
        if (byte > 0x20 && byte < 0x7F) {
            text += static_cast<char>(byte);
        } else {
            text += '%';
            text += kHex[byte >> 4];
            text += kHex[byte & 0xF];
        }
    }
    text += "\r\n";
    return text;
}
