// The launch dialog on FLTK: a fixed window built from the control table, whose callbacks only
// hand messages to launchDialogProc and mirror the radio states it keeps.
#include "app/launch_dialog.h"

#include "app/dialog_units.h"
#include "app/launch_dialog_proc.h"
#include "platform/launch_options.h"
#include "platform/message.h"
#include "resources/app_icon.h"
#include "resources/launch_dialog_layout.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <cstdint>

namespace pelx {

namespace {

// 8 points at 96 dots per inch, the size the template's font shows at.
constexpr int DIALOG_LABEL_SIZE = 11;

class LaunchDialogWindow : public Fl_Window {
  public:
    LaunchDialogWindow(int x, int y, int width, int height, const char* caption)
        : Fl_Window(x, y, width, height, caption) {}

    LaunchDialog dialog;
    // The radio buttons' widgets in RadioStates order.
    std::array<Fl_Button*, 4> radioWidgets{};

    // Hands one message to the procedure with the widgets' current radio states, then shows
    // the states it leaves and hides the window once the dialog has ended.
    void deliver(DialogMessage message, uint32_t wParam) {
        for (size_t i = 0; i < radioWidgets.size(); ++i)
            if (radioWidgets[i]) dialog.radios.checked[i] = radioWidgets[i]->value() != 0;
        launchDialogProc(dialog, message, wParam);
        for (size_t i = 0; i < radioWidgets.size(); ++i)
            if (radioWidgets[i]) radioWidgets[i]->value(dialog.radios.checked[i] ? 1 : 0);
        if (dialog.ended) hide();
    }
};

LaunchDialogWindow* dialogOf(Fl_Widget* widget) {
    return static_cast<LaunchDialogWindow*>(widget->window() ? widget->window() : widget->as_window());
}

// The default push button: an ordinary button with the dark outer frame that marks the
// default. It answers clicks only, like every control of this dialog.
class DefaultButton : public Fl_Button {
  public:
    using Fl_Button::Fl_Button;

  protected:
    void draw() override {
        Fl_Button::draw();
        fl_color(FL_BLACK);
        fl_rect(x(), y(), w(), h());
    }
};

// The dialog's loop hands no message to a dialog manager, so no key does anything in it: not
// Return (no default action), not Escape (no cancel), not Tab (no moving between tab stops),
// not Space on a clicked control. Key events are dropped before any widget sees them; the
// mouse and the window manager's close request still work.
int dispatchWithoutKeys(int event, Fl_Window* window) {
    if (event == FL_KEYDOWN || event == FL_KEYUP || event == FL_SHORTCUT) return 0;
    return Fl::handle_(event, window);
}

// Every control reports its id as a command, as a button does when clicked.
void controlCallback(Fl_Widget* widget, void* id) {
    dialogOf(widget)->deliver(DialogMessage::Command, static_cast<uint32_t>(reinterpret_cast<intptr_t>(id)));
}

// The title bar's close button.
void closeCallback(Fl_Widget* widget, void*) {
    static_cast<LaunchDialogWindow*>(widget)->deliver(DialogMessage::Close, 0);
}

Fl_Widget* makeControl(const DialogControl& control) {
    const PixelRect r = dialogRectToPixels(control.x, control.y, control.width, control.height);
    Fl_Widget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::DefaultPushButton:
        widget = new DefaultButton(r.x, r.y, r.width, r.height, control.text);
        break;
    case ControlKind::PushButton:
        widget = new Fl_Button(r.x, r.y, r.width, r.height, control.text);
        break;
    case ControlKind::GroupBox:
        widget = new Fl_Box(FL_ENGRAVED_FRAME, r.x, r.y, r.width, r.height, control.text);
        widget->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
        break;
    case ControlKind::AutoRadioButton:
        // Radio buttons with one parent turn each other off: the four form one group.
        widget = new Fl_Round_Button(r.x, r.y, r.width, r.height, control.text);
        widget->type(FL_RADIO_BUTTON);
        break;
    case ControlKind::AutoCheckBox:
        widget = new Fl_Check_Button(r.x, r.y, r.width, r.height, control.text);
        break;
    }
    widget->labelsize(DIALOG_LABEL_SIZE);
    if (control.tabStop)
        widget->set_visible_focus();
    else
        widget->clear_visible_focus();
    // Labels are the table's constant strings, so FLTK need not copy them.
    if (control.kind != ControlKind::GroupBox)
        widget->callback(controlCallback, reinterpret_cast<void*>(static_cast<intptr_t>(control.id)));
    return widget;
}

} // namespace

bool runLaunchDialog() {
    // FLTK ends the process when it cannot reach a display; a program started without one
    // should instead say so and end as if the dialog had been closed.
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        showMessage("No display is available for the launch dialog.", "Error");
        launchOptions.cancelled = 1;
        return false;
    }
    fl_open_display(display);

    LaunchDialogWindow window(LAUNCH_DIALOG_SCREEN_X, LAUNCH_DIALOG_SCREEN_Y,
                              dialogUnitsToPixelsX(LAUNCH_DIALOG_WIDTH),
                              dialogUnitsToPixelsY(LAUNCH_DIALOG_HEIGHT), LAUNCH_DIALOG_CAPTION);
    for (const DialogControl& control : LAUNCH_DIALOG_CONTROLS) {
        Fl_Widget* widget = makeControl(control); // owned and deleted by the window
        const int radio = radioIndex(control.id);
        if (radio >= 0) window.radioWidgets[radio] = static_cast<Fl_Button*>(widget);
    }
    window.end();
    window.callback(closeCallback);

    const auto rgba = appIconRgba();
    Fl_RGB_Image icon(rgba.data(), APP_ICON_SIZE, APP_ICON_SIZE, 4);
    window.icon(&icon);

    window.deliver(DialogMessage::InitDialog, 0);
    const Fl_Event_Dispatch previousDispatch = Fl::event_dispatch();
    Fl::event_dispatch(dispatchWithoutKeys);
    window.show();

    // The dialog's message loop. A window that vanishes without a message (its X window
    // destroyed from outside) counts as closed, so the loop can never outlive the dialog.
    while (!window.dialog.ended) {
        Fl::wait(0.25);
        if (!window.dialog.ended && !window.shown()) window.deliver(DialogMessage::Close, 0);
    }
    window.hide();
    Fl::flush();
    Fl::event_dispatch(previousDispatch);
    return true;
}

} // namespace pelx
