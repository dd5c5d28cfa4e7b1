// GtkDialogs' alerts and text inputs run modally for real: a timeout on the running dialog's
// loop plays the user (finds the dialog among the toplevels and answers it), and the answer
// comes back as a button index.

#include <string>
#include <vector>

#include <glibmm/main.h>
#include <gtest/gtest.h>
#include <gtkmm/messagedialog.h>

#include "platform/Bundle.h"
#include "platform/desktop/GtkDialogs.h"
#include "support/gui/GtkTestEnvironment.h"

namespace {

// Retries every 20 ms until a message dialog is up, then answers it with response and records
// its button labels; gives up after 5 s so that the test fails instead of hanging.
void whenDialogShows(int response, std::vector<std::string>& labels) {
    Glib::signal_timeout().connect(
        [response, &labels, attempts = 0]() mutable {
            for (auto* window : Gtk::Window::list_toplevels()) {
                auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window);
                if (!dialog || !dialog->get_visible()) continue;
                for (auto* button : dialog->get_action_area()->get_children()) {
                    labels.push_back(static_cast<Gtk::Button*>(button)->get_label());
                }
                dialog->response(response);
                return false;
            }
            if (++attempts < 250) return true;
            ADD_FAILURE() << "no dialog appeared";
            return false;
        },
        20);
}

}  // namespace

// An alert answered by its named button is worked end to end (the onboarding screens' alerts and
// the restart question); here an alert closed without a choice, and the text input's buttons
// (first one rightmost) and its field, which starts at the default text.
TEST(GtkDialogsTest, AnswersAreTheChosenButtonFirstOneRightmostOrMinusOneWhenClosed) {
    GtkTestEnvironment::ensure();
    GtkDialogs dialogs;
    std::vector<std::string> shown;  // left to right
    whenDialogShows(Gtk::RESPONSE_DELETE_EVENT, shown);
    EXPECT_EQ(dialogs.showAlert("Restart now?", AlertStyle::Warning, {}), -1);
    EXPECT_EQ(shown, std::vector<std::string>{localizedString("m9")});  // OK in the interface language
    shown.clear();
    whenDialogShows(1, shown);
    const TextInputAnswer answer = dialogs.runTextInput("Name?", "Ann", {"Confirm", "Cancel"});
    EXPECT_EQ(answer.buttonIndex, 1);
    EXPECT_EQ(answer.text, "Ann");
    EXPECT_EQ(shown, (std::vector<std::string>{"Cancel", "Confirm"}));
}
