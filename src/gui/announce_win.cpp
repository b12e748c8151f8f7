#include "gui/announce_win.h"

#include <string>

#include "checks/wide_win.h"
#include "gui/window_ids.h"

namespace qd::gui {

namespace {

// A test's stand-ins; null: the system's. Per thread, not in the WindowState:
// the service is asked for while the state is being made, and the query is
// asked by handlers that hold the state.
thread_local PropServicesSource replaced_source = nullptr;
thread_local ScreenReaderQuery replaced_query = nullptr;

IAccPropServices* system_prop_services()
{
    // COM loads oleacc.dll from System32 (the program has limited every load to
    // it); the exe does not import it.
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(clsid_acc_prop_services, nullptr, CLSCTX_INPROC_SERVER, iid_acc_prop_services,
                                reinterpret_cast<void**>(&services))))
        return nullptr;
    return services;
}

std::wstring text_of(HWND control)
{
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

void raise_live_region_changed(HWND control)
{
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, control, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace

void set_prop_services_source(PropServicesSource source) { replaced_source = source; }

checks::ComPtr<IAccPropServices> mark_live_regions(HWND window)
{
    checks::ComPtr<IAccPropServices> services(replaced_source != nullptr ? replaced_source() : system_prop_services());
    if (!services) return services;
    VARIANT polite = {};  // VT_EMPTY until set, without oleaut32's VariantInit
    polite.vt = VT_I4;
    polite.lVal = live_setting_polite;
    for (const int id : {control_id::header, control_id::message, control_id::announcer}) {
        // A failure (Wine's service has no annotations) leaves that control as it was.
        if (HWND control = GetDlgItem(window, id))
            services.get()->SetHwndProp(control, OBJID_CLIENT, CHILDID_SELF, live_setting_property, polite);
    }
    return services;
}

void set_live_text(HWND window, int id, std::string_view text)
{
    HWND control = GetDlgItem(window, id);
    if (control == nullptr) return;
    const std::wstring wide = checks::to_wide(text);
    const bool changed = text_of(control) != wide;
    SetWindowTextW(control, wide.c_str());
    if (changed) raise_live_region_changed(control);
}

void announce(HWND window, std::string_view text)
{
    HWND announcer = GetDlgItem(window, control_id::announcer);
    if (announcer == nullptr) return;
    // Raised even when the text repeats: each call is a new thing to say.
    SetWindowTextW(announcer, checks::to_wide(text).c_str());
    raise_live_region_changed(announcer);
}

void set_screen_reader_query(ScreenReaderQuery query) { replaced_query = query; }

bool screen_reader_on()
{
    if (replaced_query != nullptr) return replaced_query();
    BOOL running = FALSE;
    return SystemParametersInfoW(SPI_GETSCREENREADER, 0, &running, 0) && running;
}

}  // namespace qd::gui
