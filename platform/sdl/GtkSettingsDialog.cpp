// The settings form's window on GTK 3: a fixed-size dialog laid out from the form's twip table
// (15 twips = 1 pixel at 96 dpi, scaled for the screen's resolution), shown modally until the form
// hides it or the user closes it.
#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/sdl/DialogTexts.h"
#include "platform/sdl/GtkDialogs.h"

namespace scenesaver::platform {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 4455;
constexpr int kClientHeight = 2070;

struct Placement {
  int left, top, width, height;
};

// Frame1 "BGM" holds Option1(0) and (1), Frame2 "Sound" holds Option1(2) and (3); the option
// buttons' positions are relative to their frame.
constexpr std::array<Placement, 2> kFrames{{{120, 120, 2535, 855}, {120, 1080, 2535, 855}}};
constexpr std::array<Placement, 2> kOptionsInFrame{{{240, 360, 855, 255}, {1320, 360, 855, 255}}};
constexpr std::array<Placement, 2> kCommands{{{2880, 240, 1455, 330}, {2880, 630, 1455, 330}}};
constexpr std::array<const char*, 2> kCommandCaptions{texts::kOk, texts::kCancel};
constexpr int kOk = 0;
constexpr int kCancel = 1;

// The theme's paddings would make the controls taller than their places in the table.
constexpr const char* kCompactCss =
    "button { min-height: 0; padding: 0 6px; }"
    "radiobutton { min-height: 0; padding: 0; }"
    "label.frame-caption { margin-left: 6px; padding: 0 2px; }";

double ScreenScale() {
  const double dpi = gdk_screen_get_resolution(gdk_screen_get_default());
  return dpi > 0 ? dpi / 96.0 : 1.0;
}

struct WidgetDestroyer {
  void operator()(GtkWidget* widget) const { gtk_widget_destroy(widget); }
};
using WindowPtr = std::unique_ptr<GtkWidget, WidgetDestroyer>;

struct CssProviderUnref {
  void operator()(GtkCssProvider* provider) const { g_object_unref(provider); }
};

class SettingsWindow {
 public:
  explicit SettingsWindow(SettingsForm& form) : form_(form), scale_(ScreenScale()) {
    css_.reset(gtk_css_provider_new());
    gtk_css_provider_load_from_data(css_.get(), kCompactCss, -1, nullptr);
    window_.reset(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    GtkWindow* window = GTK_WINDOW(window_.get());
    gtk_window_set_title(window, base::Tr(texts::kSettingsCaption));
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_modal(window, TRUE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_position(window, GTK_WIN_POS_CENTER);

    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, Pixels(kClientWidth), Pixels(kClientHeight));
    gtk_container_add(GTK_CONTAINER(window), fixed);
    Build(GTK_FIXED(fixed));

    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), this);
  }

  void RunModal() {
    SyncOptions();
    gtk_widget_show_all(window_.get());
    // The first tab stop: the selected button of the "BGM" frame.
    gtk_widget_grab_focus(options_[form_.Option1Value(0) ? 0 : 1]);
    gtk_widget_grab_default(commands_[kOk]);
    while (!done_) gtk_main_iteration();
  }

  std::vector<ControlFit> Measure() {
    std::vector<ControlFit> fits;
    // A hidden widget asks for no room: the controls are shown, the window is not.
    gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(window_.get())));
    for (const Placed& placed : placed_) {
      // The content's own width: the widget without the size the layout asks for.
      gtk_widget_set_size_request(placed.widget, -1, -1);
      int natural = 0;
      gtk_widget_get_preferred_width(placed.widget, nullptr, &natural);
      gtk_widget_set_size_request(placed.widget, Pixels(placed.width), Pixels(placed.height));
      fits.push_back({placed.text, natural, Pixels(placed.width)});
    }
    return fits;
  }

  ~SettingsWindow() {
    window_.reset();
    while (gtk_events_pending()) gtk_main_iteration();
  }

  SettingsWindow(const SettingsWindow&) = delete;
  SettingsWindow& operator=(const SettingsWindow&) = delete;

 private:
  int Pixels(int twips) const {
    return static_cast<int>(std::lround(twips * scale_ / kTwipsPerPixel));
  }

  void AddCompactStyle(GtkWidget* widget) {
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                   GTK_STYLE_PROVIDER(css_.get()),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  }

  void Place(GtkFixed* fixed, GtkWidget* widget, const char* text, int left, int top, int width,
             int height) {
    placed_.push_back({widget, text, width, height});
    AddCompactStyle(widget);
    gtk_widget_set_size_request(widget, Pixels(width), Pixels(height));
    gtk_fixed_put(fixed, widget, Pixels(left), Pixels(top));
  }

  void Build(GtkFixed* fixed) {
    for (std::size_t frame = 0; frame < kFrames.size(); ++frame) {
      const Placement& f = kFrames[frame];
      const char* frame_caption = base::Tr(texts::kFrameCaptions[frame]);
      GtkWidget* box = gtk_frame_new(frame_caption);
      Place(fixed, box, frame_caption, f.left, f.top, f.width, f.height);
      GtkWidget* caption = gtk_frame_get_label_widget(GTK_FRAME(box));
      gtk_style_context_add_class(gtk_widget_get_style_context(caption), "frame-caption");
      AddCompactStyle(caption);
      GtkRadioButton* group = nullptr;
      for (std::size_t i = 0; i < kOptionsInFrame.size(); ++i) {
        const Placement& o = kOptionsInFrame[i];
        const char* option_caption = base::Tr(texts::kOptionCaptions[i]);
        GtkWidget* option = gtk_radio_button_new_with_label_from_widget(group, option_caption);
        group = GTK_RADIO_BUTTON(option);
        const std::size_t index = frame * 2 + i;
        options_[index] = option;
        option_indexes_[index] = static_cast<int>(index);
        Place(fixed, option, option_caption, f.left + o.left, f.top + o.top, o.width, o.height);
        g_object_set_data(G_OBJECT(option), "index", &option_indexes_[index]);
        g_signal_connect(option, "toggled", G_CALLBACK(OnOptionToggled), this);
      }
    }
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
      const Placement& c = kCommands[i];
      const char* command_caption = base::Tr(kCommandCaptions[i]);
      GtkWidget* button = gtk_button_new_with_label(command_caption);
      commands_[i] = button;
      command_indexes_[i] = static_cast<int>(i);
      Place(fixed, button, command_caption, c.left, c.top, c.width, c.height);
      g_object_set_data(G_OBJECT(button), "index", &command_indexes_[i]);
      g_signal_connect(button, "clicked", G_CALLBACK(OnCommandClicked), this);
    }
    gtk_widget_set_can_default(commands_[kOk], TRUE);
    gtk_window_set_default(GTK_WINDOW(window_.get()), commands_[kOk]);

    // Tab order: the option buttons frame by frame (within a group only the selected one takes
    // the focus), then "OK", then "キャンセル".
    GList* chain = nullptr;
    for (GtkWidget* option : options_) chain = g_list_append(chain, option);
    for (GtkWidget* button : commands_) chain = g_list_append(chain, button);
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_container_set_focus_chain(GTK_CONTAINER(fixed), chain);
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_list_free(chain);
  }

  // Shows the form's selection; the radio groups clear the partners.
  void SyncOptions() {
    syncing_ = true;
    for (std::size_t i = 0; i < options_.size(); ++i) {
      if (form_.Option1Value(static_cast<int>(i))) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(options_[i]), TRUE);
      }
    }
    syncing_ = false;
  }

  void Hide() {
    done_ = true;
    gtk_widget_hide(window_.get());
  }

  static int IndexOf(GtkWidget* widget) {
    return *static_cast<const int*>(g_object_get_data(G_OBJECT(widget), "index"));
  }

  static void OnOptionToggled(GtkToggleButton* option, gpointer data) {
    auto* self = static_cast<SettingsWindow*>(data);
    if (self->syncing_ || !gtk_toggle_button_get_active(option)) return;
    self->form_.Option1_Click(IndexOf(GTK_WIDGET(option)));
    self->SyncOptions();
  }

  static void OnCommandClicked(GtkButton* button, gpointer data) {
    auto* self = static_cast<SettingsWindow*>(data);
    if (self->done_) return;
    if (self->form_.Command1_Click(IndexOf(GTK_WIDGET(button)))) self->Hide();
  }

  // Closing the window hides it without writing anything.
  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    static_cast<SettingsWindow*>(data)->Hide();
    return TRUE;
  }

  // Esc presses "キャンセル"; Enter presses the focused button, or "OK" when the focus is on an
  // option button.
  static gboolean OnKeyPress(GtkWidget* window, GdkEventKey* event, gpointer data) {
    auto* self = static_cast<SettingsWindow*>(data);
    switch (event->keyval) {
      case GDK_KEY_Escape:
        gtk_button_clicked(GTK_BUTTON(self->commands_[kCancel]));
        return TRUE;
      case GDK_KEY_Return:
      case GDK_KEY_KP_Enter:
      case GDK_KEY_ISO_Enter: {
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
        if (focus == self->commands_[kOk] || focus == self->commands_[kCancel]) return FALSE;
        gtk_button_clicked(GTK_BUTTON(self->commands_[kOk]));
        return TRUE;
      }
      default:
        return FALSE;
    }
  }

  // A control placed from the table, with its text and its size in twips.
  struct Placed {
    GtkWidget* widget;
    const char* text;
    int width, height;
  };

  SettingsForm& form_;
  double scale_;
  std::vector<Placed> placed_;
  std::array<GtkWidget*, 4> options_{};
  std::array<int, 4> option_indexes_{};
  std::array<GtkWidget*, 2> commands_{};
  std::array<int, 2> command_indexes_{};
  bool syncing_ = false;
  bool done_ = false;
  std::unique_ptr<GtkCssProvider, CssProviderUnref> css_;
  WindowPtr window_;
};

}  // namespace

base::Result<void> GtkSettingsDialogModal(SettingsForm& form) {
  if (!EnsureGtk()) return base::Error{"the settings dialog cannot be shown: no display to open"};
  SettingsWindow window(form);
  window.RunModal();
  return {};
}

std::vector<ControlFit> MeasureSettingsDialog(SettingsForm& form) {
  if (!EnsureGtk()) return {};
  SettingsWindow window(form);
  return window.Measure();
}

}  // namespace scenesaver::platform
