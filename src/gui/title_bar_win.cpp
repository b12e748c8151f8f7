#include "gui/title_bar_win.h"

#include <type_traits>

#include "checks/system_dll_win.h"
#include "gui/colors.h"

namespace qd::gui {

static_assert(std::is_same_v<WindowAttributeCall, decltype(&DwmSetWindowAttribute)>);

namespace {

// A test's recorder; null: the system's. Per thread, not in the WindowState:
// the title bar is asked for while the window is created, before it has a state.
thread_local WindowAttributeCall replaced_call = nullptr;

WindowAttributeCall window_attribute_call()
{
    if (replaced_call != nullptr) return replaced_call;
    return checks::system_function<WindowAttributeCall>(L"dwmapi.dll", "DwmSetWindowAttribute");
}

void ask_for_title_bar(HWND window, DWORD dark, COLORREF caption, COLORREF caption_text)
{
    const WindowAttributeCall set_attribute = window_attribute_call();
    if (set_attribute == nullptr) return;
    set_attribute(window, dwm_use_immersive_dark_mode, &dark, sizeof(dark));
    set_attribute(window, dwm_caption_color, &caption, sizeof(caption));
    set_attribute(window, dwm_text_color, &caption_text, sizeof(caption_text));
}

}  // namespace

void set_window_attribute_call(WindowAttributeCall call) { replaced_call = call; }

void set_dark_title_bar(HWND window) { ask_for_title_bar(window, TRUE, palette::caption, palette::caption_text); }

void set_system_title_bar(HWND window) { ask_for_title_bar(window, FALSE, dwm_color_default, dwm_color_default); }

}  // namespace qd::gui
