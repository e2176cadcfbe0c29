// Message boxes and the password-change dialog on GTK 3. GTK starts on the first dialog only, so
// a run that shows none never connects to it. Without a window manager a dialog would land at
// the screen's top-left corner, so each one is centred.
#include "platform/sdl/GtkDialogs.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/posix/PasswordStore.h"
#include "platform/posix/UserConfig.h"
#include "platform/sdl/DialogTexts.h"

namespace scenesaver::platform {

bool EnsureGtk() {
  static const bool ready = gtk_init_check(nullptr, nullptr) != FALSE;
  return ready;
}

namespace {

// GTK takes UTF-8 only; bytes that are not (a file name from a package, say) become U+FFFD.
struct GFreeDeleter {
  void operator()(gchar* text) const { g_free(text); }
};
std::unique_ptr<gchar, GFreeDeleter> ValidUtf8(std::string_view text) {
  return std::unique_ptr<gchar, GFreeDeleter>(
      g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
}

struct WidgetDestroyer {
  void operator()(GtkWidget* widget) const {
    gtk_widget_destroy(widget);
    while (gtk_events_pending()) gtk_main_iteration();  // let the window go from the screen
  }
};
using DialogPtr = std::unique_ptr<GtkWidget, WidgetDestroyer>;

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};

constexpr guint kCloseCheckMs = 100;

struct CloseCheck {
  GtkDialog* dialog;
  const std::function<bool()>* closes_when;
  bool fired = false;
};

gboolean CheckForClose(gpointer data) {
  auto* check = static_cast<CloseCheck*>(data);
  if (!(*check->closes_when)()) return G_SOURCE_CONTINUE;
  check->fired = true;
  gtk_dialog_response(check->dialog, GTK_RESPONSE_CANCEL);
  return G_SOURCE_REMOVE;
}

// A GLib timer for as long as the object lives.
class TimerSource {
 public:
  explicit TimerSource(guint id) : id_(id) {}
  ~TimerSource() {
    if (id_ != 0) g_source_remove(id_);
  }
  TimerSource(const TimerSource&) = delete;
  TimerSource& operator=(const TimerSource&) = delete;
  void Spent() { id_ = 0; }

 private:
  guint id_;
};

// The keyboard and pointer, held on GTK's own X connection for a locked show's message: the
// show has let its grabs go so that the message gets the input, and nothing else may get it
// meanwhile. Held on the root window, which no window manager can unmap, with owner events, so
// that the message's own windows get their input as usual; taken again a few times a second,
// in case another client held a grab at first or something let one go.
class RootGrabs {
 public:
  RootGrabs() {
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr || !GDK_IS_X11_DISPLAY(display)) return;
    display_ = GDK_DISPLAY_XDISPLAY(display);
    Grab(this);
    timer_ = g_timeout_add(kRegrabMs, Grab, this);
  }
  ~RootGrabs() {
    if (display_ == nullptr) return;
    g_source_remove(timer_);
    XUngrabKeyboard(display_, CurrentTime);
    XUngrabPointer(display_, CurrentTime);
    XFlush(display_);
  }
  RootGrabs(const RootGrabs&) = delete;
  RootGrabs& operator=(const RootGrabs&) = delete;

 private:
  static constexpr guint kRegrabMs = 100;
  static gboolean Grab(gpointer grabs) {
    ::Display* display = static_cast<RootGrabs*>(grabs)->display_;
    const ::Window root = DefaultRootWindow(display);
    XGrabKeyboard(display, root, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    XGrabPointer(display, root, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                 GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    XFlush(display);
    return G_SOURCE_CONTINUE;
  }

  ::Display* display_ = nullptr;
  guint timer_ = 0;
};

void ShowMessage(GtkWindow* parent, std::string_view text, std::string_view caption,
                 GtkMessageType type, const std::function<bool()>& closes_when,
                 bool hold_input = false) {
  // Declared first, so that the input is held until the message has left the screen.
  std::optional<RootGrabs> grabs;
  if (hold_input) grabs.emplace();
  const auto valid_text = ValidUtf8(text);
  const auto valid_caption = ValidUtf8(caption);
  DialogPtr dialog(gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, type, GTK_BUTTONS_OK, "%s",
                                          valid_text.get()));
  gtk_window_set_title(GTK_WINDOW(dialog.get()), valid_caption.get());
  gtk_window_set_position(GTK_WINDOW(dialog.get()),
                          parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(dialog.get()), TRUE);
  if (!closes_when) {
    gtk_dialog_run(GTK_DIALOG(dialog.get()));
    return;
  }
  if (closes_when()) return;
  CloseCheck check{GTK_DIALOG(dialog.get()), &closes_when};
  TimerSource timer(g_timeout_add(kCloseCheckMs, CheckForClose, &check));
  gtk_dialog_run(GTK_DIALOG(dialog.get()));
  if (check.fired) timer.Spent();  // the check removed itself
}

// Makes `dialog` transient for the X11 window `xid` of another client, when that window exists.
// Keeps the foreign window's GDK object alive for as long as the caller holds the result.
std::unique_ptr<GdkWindow, GObjectUnref> MakeTransientForXid(GtkWidget* dialog, std::int64_t xid) {
  GdkDisplay* display = gdk_display_get_default();
  if (xid <= 0 || display == nullptr || !GDK_IS_X11_DISPLAY(display)) return nullptr;
  std::unique_ptr<GdkWindow, GObjectUnref> foreign(
      gdk_x11_window_foreign_new_for_display(display, static_cast<Window>(xid)));
  if (!foreign) return nullptr;  // no such window
  gtk_widget_realize(dialog);
  gdk_window_set_transient_for(gtk_widget_get_window(dialog), foreign.get());
  return foreign;
}

GtkWidget* PasswordEntry() {
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_visibility(GTK_ENTRY(entry), FALSE);
  gtk_entry_set_input_purpose(GTK_ENTRY(entry), GTK_INPUT_PURPOSE_PASSWORD);
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  gtk_widget_set_hexpand(entry, TRUE);
  return entry;
}

void AddRow(GtkGrid* grid, int row, const char* label_text, GtkWidget* entry) {
  GtkWidget* label = gtk_label_new_with_mnemonic(label_text);
  gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
  gtk_label_set_mnemonic_widget(GTK_LABEL(label), entry);
  gtk_grid_attach(grid, label, 0, row, 1, 1);
  gtk_grid_attach(grid, entry, 1, row, 1, 1);
}

}  // namespace

void GtkMessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                   const std::function<bool()>& closes_when, bool hold_input) {
  if (!EnsureGtk()) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    return;
  }
  ShowMessage(nullptr, text, caption,
              icon == MessageIcon::kWarning ? GTK_MESSAGE_WARNING : GTK_MESSAGE_INFO, closes_when,
              hold_input);
}

void GtkPasswordChangeDialog(std::string_view /*key_name*/, std::int64_t parent_window) {
  if (!EnsureGtk()) return;
  const char* title = base::Tr(texts::kPasswordTitle);
  DialogPtr dialog(gtk_dialog_new_with_buttons(title, nullptr, GTK_DIALOG_MODAL, texts::kOk,
                                               GTK_RESPONSE_OK, base::Tr(texts::kCancel),
                                               GTK_RESPONSE_CANCEL, nullptr));
  GtkWindow* window = GTK_WINDOW(dialog.get());
  gtk_window_set_position(window, GTK_WIN_POS_CENTER);
  gtk_window_set_resizable(window, FALSE);
  gtk_window_set_keep_above(window, TRUE);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog.get()), GTK_RESPONSE_OK);

  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 8);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 8);
  gtk_container_set_border_width(GTK_CONTAINER(grid), 12);
  GtkWidget* first = PasswordEntry();
  GtkWidget* second = PasswordEntry();
  AddRow(GTK_GRID(grid), 0, base::Tr(texts::kNewPasswordLabel), first);
  AddRow(GTK_GRID(grid), 1, base::Tr(texts::kConfirmLabel), second);
  GtkWidget* protect = gtk_check_button_new_with_label(base::Tr(texts::kProtectLabel));
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(protect),
                               ReadScreenSaveUsePassword().value_or(0) != 0);
  gtk_grid_attach(GTK_GRID(grid), protect, 0, 2, 2, 1);
  gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog.get()))), grid);

  const auto parent = MakeTransientForXid(dialog.get(), parent_window);
  gtk_widget_show_all(dialog.get());
  gtk_widget_grab_focus(first);

  while (gtk_dialog_run(GTK_DIALOG(dialog.get())) == GTK_RESPONSE_OK) {
    const std::string password = gtk_entry_get_text(GTK_ENTRY(first));
    if (password != gtk_entry_get_text(GTK_ENTRY(second))) {
      ShowMessage(window, base::Tr(texts::kMismatch), title, GTK_MESSAGE_WARNING, {});
      gtk_entry_set_text(GTK_ENTRY(first), "");
      gtk_entry_set_text(GTK_ENTRY(second), "");
      gtk_widget_grab_focus(first);
      continue;
    }
    const bool use_password = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(protect)) != FALSE;
    if (!SetPassword(password) || !WriteScreenSaveUsePassword(use_password ? 1 : 0)) {
      ShowMessage(window, base::Tr(texts::kNotStored), title, GTK_MESSAGE_WARNING, {});
      continue;
    }
    break;
  }
}

}  // namespace scenesaver::platform
