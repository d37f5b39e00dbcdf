// Our own controls as a screen reader reads them: through oleacc, in this process, in each of their states.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/win/GroupContainer.h"
#include "controls/progressbar/win/ProgressBar.h"
#include "controls/button/win/isButton.h"
#include "Waiting.h"

namespace {

constexpr int kButtonId = 401;
constexpr UINT kMarker = WM_APP + 1;

// The test window: counts the clicks its buttons report (through the container too), and the markers it is posted.
struct TopWindow {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) ++clicks;
        markers += msg == kMarker;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    static inline int clicks = 0, markers = 0;
};

// The whole string, by its length: a stray terminator inside would count.
std::wstring Take(BSTR text) {
    std::wstring out = text ? std::wstring(text, SysStringLen(text)) : L"";
    SysFreeString(text);
    return out;
}

VARIANT Self() {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

// One reference to a control's object, as AccessibleObjectFromWindow hands it out.
class Object {
public:
    explicit Object(HWND hwnd) {
        AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&acc_));
    }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    ~Object() {
        if (acc_) acc_->Release();
    }
    IAccessible* operator->() const { return acc_; }
    explicit operator bool() const { return acc_ != nullptr; }

    long Role() const {
        VARIANT v{};
        return SUCCEEDED(acc_->get_accRole(Self(), &v)) && v.vt == VT_I4 ? v.lVal : -1;
    }
    unsigned State() const {
        VARIANT v{};
        return SUCCEEDED(acc_->get_accState(Self(), &v)) && v.vt == VT_I4 ? static_cast<unsigned>(v.lVal) : 0u;
    }
    // A text the object does not have reads as "(none)", so that it differs from an empty one.
    template <typename Get>
    std::wstring Text(Get get) const {
        BSTR text = nullptr;
        const HRESULT hr = (acc_->*get)(Self(), &text);
        const std::wstring out = Take(text);
        return hr == S_OK ? out : L"(none)";
    }

private:
    IAccessible* acc_ = nullptr;
};

// Public: the stages of the table below reach the fixture from lambdas.
class Accessibility : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        TopWindow::clicks = 0;
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &TopWindow::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"AccessibilityTestTop";
        RegisterClassExW(&wc);
        top = CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, L"top", WS_OVERLAPPEDWINDOW, 0, 0, 600, 300,
                              nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(top, nullptr);
        ShowWindow(top, SW_SHOW);
        container = group.CreateGroup(top, 400, L"group", RECT{10, 10, 500, 200}, true, nullptr);
        ASSERT_NE(container, nullptr);
    }
    void TearDown() override {
        if (top) DestroyWindow(top);
        CoUninitialize();
    }
    // Handles whatever was posted so far: a marker posted now comes after it.
    void HandlePosted() const {
        const int markers = TopWindow::markers;
        PostMessageW(top, kMarker, 0, 0);
        EXPECT_TRUE(PumpUntil([markers] { return TopWindow::markers > markers; }));
    }

    // A style-8 button inside the container, as the main window has them.
    isButton& Button(const wchar_t* caption, bool isDefault = false, int type = 0, bool value = false) {
        PropertyBag bag;
        bag.WriteInt(L"Style", 8);
        bag.WriteText(L"Caption", caption);
        bag.WriteInt(L"ButtonType", type);
        bag.WriteBool(L"Value", value);
        HostedControlArgs args;
        args.parent = container;
        args.id = kButtonId;
        args.rect = {20, 30, 77, 55};
        args.name = L"NBtnTest";
        args.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        args.persisted = &bag;
        args.displayAsDefault = isDefault;
        HWND hwnd = isButton::Create(args);
        EXPECT_NE(hwnd, nullptr);
        return *isButton::FromHwnd(hwnd);
    }
    // NicePressBar's set, then `change` on its model.
    ProgressBar& Bar(const std::function<void(ProgressBarModel&)>& change = {}) {
        PropertyBag bag;
        bag.WriteInt(L"Value", 0);
        bag.WriteInt(L"Theme", 8);
        bag.WriteInt(L"TextStyle", 2);
        bag.WriteText(L"Text", L"NicePressBar");
        HostedControlArgs args;
        args.parent = container;
        args.id = 402;
        args.rect = {20, 100, 469, 115};
        args.name = L"NicePressBar";
        args.persisted = &bag;
        HWND hwnd = ProgressBar::Create(args);
        EXPECT_NE(hwnd, nullptr);
        ProgressBar& bar = *ProgressBar::FromHwnd(hwnd);
        if (change) change(bar.Model());
        return bar;
    }

    HWND top = nullptr;
    GroupContainer group;
    HWND container = nullptr;
};

constexpr unsigned kUnavailable = STATE_SYSTEM_UNAVAILABLE, kFocused = STATE_SYSTEM_FOCUSED,
                   kFocusable = STATE_SYSTEM_FOCUSABLE, kPressed = STATE_SYSTEM_PRESSED,
                   kChecked = STATE_SYSTEM_CHECKED, kDefault = STATE_SYSTEM_DEFAULT, kReadOnly = STATE_SYSTEM_READONLY;

TEST_F(Accessibility, EveryOwnControlReadsItsRoleNameValueStateShortcutAndAction) {
    using Stage = std::function<HWND(Accessibility&)>;
    struct Case {
        const char* what;
        Stage stage;
        long role;
        const wchar_t* name;
        const wchar_t* value;
        unsigned has, hasNot;
        const wchar_t* shortcut;
        const wchar_t* action;
    };
    const wchar_t* none = L"(none)";
    const Case cases[] = {
        {"登 录, the default button", [](Accessibility& t) { return t.Button(L"登 录", true).Hwnd(); },
         ROLE_SYSTEM_PUSHBUTTON, L"登 录", none, kDefault | kFocusable, kUnavailable | kFocused | kPressed | kChecked,
         L"Enter", L"Press"},
        {"下 载 with the focus",
         [](Accessibility& t) {
             HWND b = t.Button(L"下 载").Hwnd();
             SetFocus(b);
             return b;
         },
         ROLE_SYSTEM_PUSHBUTTON, L"下 载", none, kFocused | kFocusable, kDefault | kUnavailable, none, L"Press"},
        {"held down by the mouse",
         [](Accessibility& t) {
             HWND b = t.Button(L"粘 贴").Hwnd();
             SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
             return b;
         },
         ROLE_SYSTEM_PUSHBUTTON, L"粘 贴", none, kPressed, kUnavailable, none, L"Press"},
        {"a caption with an access key", [](Accessibility& t) { return t.Button(L"&all && stop").Hwnd(); },
         ROLE_SYSTEM_PUSHBUTTON, L"all & stop", none, kFocusable, kUnavailable, L"Alt+A", L"Press"},
        {"disabled itself",
         [](Accessibility& t) {
             isButton& b = t.Button(L"目 录");
             b.Core().Set(&button::ButtonProperties::Enabled, false);
             return b.Hwnd();
         },
         ROLE_SYSTEM_PUSHBUTTON, L"目 录", none, kUnavailable, kFocusable, none, L"Press"},
        {"inside a disabled container",
         [](Accessibility& t) {
             HWND b = t.Button(L"下 载").Hwnd();
             EnableWindow(t.container, FALSE);
             return b;
         },
         ROLE_SYSTEM_PUSHBUTTON, L"下 载", none, kUnavailable, kFocusable, none, L"Press"},
        {"a check button", [](Accessibility& t) { return t.Button(L"check", false, 1).Hwnd(); },
         ROLE_SYSTEM_CHECKBUTTON, L"check", none, kFocusable, kChecked | kPressed, none, L"Check"},
        {"a checked check button", [](Accessibility& t) { return t.Button(L"check", false, 1, true).Hwnd(); },
         ROLE_SYSTEM_CHECKBUTTON, L"check", none, kChecked, kUnavailable, none, L"Uncheck"},
        {"the bar showing its percentage",
         [](Accessibility& t) { return t.Bar([](ProgressBarModel& m) { m.SetValue(42); }).Hwnd(); },
         ROLE_SYSTEM_PROGRESSBAR, none, L"42%", kReadOnly, kUnavailable | kFocusable, none, none},
        {"the bar at a third",
         [](Accessibility& t) {
             return t
                 .Bar([](ProgressBarModel& m) {
                     m.Set(&ProgressBarProperties::Max, 3);
                     m.SetValue(1);
                 })
                 .Hwnd();
         },
         ROLE_SYSTEM_PROGRESSBAR, none, L"33.3333333333333%", kReadOnly, kUnavailable, none, none},
        {"the bar showing its own text",
         [](Accessibility& t) {
             return t
                 .Bar([](ProgressBarModel& m) {
                     m.Set(&ProgressBarProperties::TextStyle, 3);
                     m.Set(&ProgressBarProperties::TextEffect, 5);
                     m.SetValue(100);
                 })
                 .Hwnd();
         },
         ROLE_SYSTEM_PROGRESSBAR, L"NicePressBar", L"100%", kReadOnly, kUnavailable, none, none},
        {"the bar showing its own text plainly",
         [](Accessibility& t) {
             return t
                 .Bar([](ProgressBarModel& m) {
                     m.Set(&ProgressBarProperties::TextStyle, 3);
                     m.Set(&ProgressBarProperties::TextEffect, 1);
                 })
                 .Hwnd();
         },
         ROLE_SYSTEM_PROGRESSBAR, L"NicePressBar", L"0%", kReadOnly, kUnavailable, none, none},
        {"the bar whose text no effect draws",
         [](Accessibility& t) {
             return t
                 .Bar([](ProgressBarModel& m) {
                     m.Set(&ProgressBarProperties::TextStyle, 3);
                     m.Set(&ProgressBarProperties::TextEffect, 0);
                 })
                 .Hwnd();
         },
         ROLE_SYSTEM_PROGRESSBAR, none, L"0%", kReadOnly, kUnavailable, none, none},
        {"the bar disabled",
         [](Accessibility& t) {
             return t.Bar([](ProgressBarModel& m) { m.Set(&ProgressBarProperties::Enabled, false); }).Hwnd();
         },
         ROLE_SYSTEM_PROGRESSBAR, none, L"0%", kUnavailable | kReadOnly, 0, none, none},
        {"the bar inside a disabled container",
         [](Accessibility& t) {
             HWND bar = t.Bar().Hwnd();
             EnableWindow(t.container, FALSE);
             return bar;
         },
         ROLE_SYSTEM_PROGRESSBAR, none, L"0%", kUnavailable, 0, none, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EnableWindow(container, TRUE);
        HWND control = c.stage(*this);
        {
            const Object object(control);
            ASSERT_TRUE(object);
            EXPECT_EQ(object.Role(), c.role);
            EXPECT_EQ(object.Text(&IAccessible::get_accName), c.name);
            EXPECT_EQ(object.Text(&IAccessible::get_accValue), c.value);
            EXPECT_EQ(object.State() & c.has, c.has) << std::hex << object.State();
            EXPECT_EQ(object.State() & c.hasNot, 0u) << std::hex << object.State();
            EXPECT_EQ(object.Text(&IAccessible::get_accKeyboardShortcut), c.shortcut);
            EXPECT_EQ(object.Text(&IAccessible::get_accDefaultAction), c.action);
            // Location stays the platform's: the window's place on the screen.
            RECT screen{};
            GetWindowRect(control, &screen);
            long x = 0, y = 0, w = 0, h = 0;
            EXPECT_EQ(object->accLocation(&x, &y, &w, &h, Self()), S_OK);
            EXPECT_EQ(std::tie(x, y), std::tie(screen.left, screen.top));
        }
        ReleaseCapture();
        DestroyWindow(control);
    }
}

// What a reader is told, per window: (event, window), for our client objects only.
struct Events {
    static void CALLBACK Hook(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
        if (object == OBJID_CLIENT && child == CHILDID_SELF) heard.emplace_back(event, hwnd);
    }
    static inline std::vector<std::pair<DWORD, HWND>> heard;
};

TEST_F(Accessibility, ReadersHearOfNameStateAndValueChangesAndOfTheContainerAround) {
    HWND down = Button(L"下 载").Hwnd();
    ProgressBar& bar = Bar();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, &Events::Hook,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    // Readers hear events in the order told: once a marker told after a step is heard, so is all the step told.
    const auto heard = [this](DWORD event, HWND hwnd) {
        NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, top, OBJID_CLIENT, CHILDID_SELF);
        const auto marker = std::make_pair(DWORD{EVENT_OBJECT_DESCRIPTIONCHANGE}, top);
        EXPECT_TRUE(PumpUntil([&] { return std::count(Events::heard.begin(), Events::heard.end(), marker) != 0; }));
        const auto n = std::count(Events::heard.begin(), Events::heard.end(), std::make_pair(event, hwnd));
        Events::heard.clear();
        return n;
    };
    heard(0, nullptr);  // what making the controls told

    SetWindowTextW(down, L"停 止");
    EXPECT_EQ(heard(EVENT_OBJECT_NAMECHANGE, down), 1);
    isButton::FromHwnd(down)->Core().Set(&button::ButtonProperties::Enabled, false);
    EXPECT_EQ(heard(EVENT_OBJECT_STATECHANGE, down), 1);
    isButton::FromHwnd(down)->Core().Set(&button::ButtonProperties::Enabled, true);
    EXPECT_EQ(heard(EVENT_OBJECT_STATECHANGE, down), 1);
    isButton::FromHwnd(down)->Core().Set(&button::ButtonProperties::Value, true);
    EXPECT_EQ(heard(EVENT_OBJECT_STATECHANGE, down), 1) << "checked, for a check button";
    isButton::FromHwnd(down)->Core().Set(&button::ButtonProperties::BackColor, 0x00FF00);
    EXPECT_EQ(heard(EVENT_OBJECT_STATECHANGE, down), 0) << "a colour is nothing a reader hears";
    EnableWindow(container, FALSE);
    EXPECT_EQ(heard(EVENT_OBJECT_STATECHANGE, down), 1) << "the container's button hears of it";
    EnableWindow(container, TRUE);
    EXPECT_EQ(heard(EVENT_OBJECT_STATECHANGE, bar.Hwnd()), 1);
    bar.Model().SetValue(42);
    EXPECT_EQ(heard(EVENT_OBJECT_VALUECHANGE, bar.Hwnd()), 1);
    bar.Model().SetValue(42);
    EXPECT_EQ(heard(EVENT_OBJECT_VALUECHANGE, bar.Hwnd()), 0) << "a tick that changes nothing is not told";
    bar.Model().Set(&ProgressBarProperties::Max, 200);
    EXPECT_EQ(heard(EVENT_OBJECT_VALUECHANGE, bar.Hwnd()), 1) << "21% now";
    bar.Model().Set(&ProgressBarProperties::TextStyle, 3);
    EXPECT_EQ(heard(EVENT_OBJECT_NAMECHANGE, bar.Hwnd()), 1) << "the bar shows its text now";
    bar.Model().Set(&ProgressBarProperties::Text, L"almost");
    EXPECT_EQ(heard(EVENT_OBJECT_NAMECHANGE, bar.Hwnd()), 1);
    bar.Model().Set(&ProgressBarProperties::Enabled, false);
    EXPECT_EQ(heard(EVENT_OBJECT_STATECHANGE, bar.Hwnd()), 1);
    UnhookWinEvent(hook);
}

TEST_F(Accessibility, TheDefaultActionIsPostedAndAnObjectOutlivingItsWindowIsDisconnected) {
    isButton& button = Button(L"下 载");
    HWND down = button.Hwnd();
    Object object(down);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->accDoDefaultAction(Self()), S_OK);
    EXPECT_EQ(TopWindow::clicks, 0) << "the reader is answered before the click runs";
    HandlePosted();
    EXPECT_EQ(TopWindow::clicks, 1);

    // Not while its container is disabled, even when asked just before.
    EXPECT_EQ(object->accDoDefaultAction(Self()), S_OK);
    EnableWindow(container, FALSE);
    EXPECT_TRUE(FAILED(object->accDoDefaultAction(Self())));
    HandlePosted();
    EXPECT_EQ(TopWindow::clicks, 1);
    const Object bar(Bar().Hwnd());
    EXPECT_EQ(bar->accDoDefaultAction(Self()), DISP_E_MEMBERNOTFOUND);

    DestroyWindow(down);
    BSTR name = nullptr;
    EXPECT_EQ(object->get_accName(Self(), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(name, nullptr);
    long x = 0, y = 0, w = 0, h = 0;
    EXPECT_EQ(object->accLocation(&x, &y, &w, &h, Self()), CO_E_OBJNOTCONNECTED);
}

}  // namespace
