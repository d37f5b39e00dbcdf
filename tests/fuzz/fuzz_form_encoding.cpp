// The login body: whatever the boxes hold, it has exactly its three fields and each value decodes back.
#include "services/FormEncoding.h"
#include "FuzzInput.h"

namespace {

std::wstring Unescape(std::wstring_view value) {
    std::wstring out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == L'%' && i + 2 < value.size()) {
            const std::wstring_view code = value.substr(i + 1, 2);
            if (code == L"25")
                out += L'%';
            else if (code == L"26")
                out += L'&';
            else if (code == L"2B")
                out += L'+';
            else if (code == L"3D")
                out += L'=';
            else
                fuzz::Check(false);
            i += 2;
        } else {
            fuzz::Check(value[i] != L'%');
            out += value[i];
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const auto [email, password] = fuzz::TwoWide(data, size);
    const std::wstring body = FormEncoding::LoginBody(email, password);
    const size_t first = body.find(L'&');
    const size_t second = body.find(L'&', first + 1);
    fuzz::Check(first != std::wstring::npos && second != std::wstring::npos);
    fuzz::Check(body.find(L'&', second + 1) == std::wstring::npos);
    const std::wstring_view view = body;
    fuzz::Check(view.substr(0, 6) == L"email=" && Unescape(view.substr(6, first - 6)) == email);
    fuzz::Check(view.substr(first + 1, 9) == L"password=");
    fuzz::Check(Unescape(view.substr(first + 10, second - first - 10)) == password);
    fuzz::Check(view.substr(second + 1) == L"autoLogin=true");
    return 0;
}
