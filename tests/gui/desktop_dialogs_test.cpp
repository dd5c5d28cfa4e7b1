// GtkDialogs' alerts run modally for real: a timeout on the running dialog's loop plays the
// user (finds the dialog among the toplevels and answers it), and the answer comes back as a
// button index.

#include <functional>
#include <string>

#include <glibmm/main.h>
#include <gtkmm/messagedialog.h>
#include <gtest/gtest.h>

#include "platform/desktop/GtkDialogs.h"
#include "support/gui/GtkTestEnvironment.h"

namespace {

template <class DialogType>
DialogType* openDialog() {
    for (auto* window : Gtk::Window::list_toplevels()) {
        if (auto* dialog = dynamic_cast<DialogType*>(window); dialog && dialog->get_visible()) return dialog;
    }
    return nullptr;
}

// Retries every 20 ms until the dialog is up, then acts; gives up after 5 s (the dialog is
// then closed so the test fails instead of hanging).
template <class DialogType>
void whenDialogShows(std::function<void(DialogType&)> act) {
    auto attempts = std::make_shared<int>(0);
    Glib::signal_timeout().connect(
        [act, attempts] {
            if (auto* dialog = openDialog<DialogType>()) {
                act(*dialog);
                return false;
            }
            if (++*attempts < 250) return true;
            ADD_FAILURE() << "no dialog appeared";
            return false;
        },
        20);
}

std::vector<std::string> buttonLabels(Gtk::Dialog& dialog) {
    std::vector<std::string> labels;
    for (auto* child : dialog.get_action_area()->get_children()) {
        if (auto* button = dynamic_cast<Gtk::Button*>(child)) labels.push_back(button->get_label());
    }
    return labels;
}

class GtkDialogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { GtkTestEnvironment::ensure(); }
    GtkDialogs dialogs;
};

}  // namespace

TEST_F(GtkDialogsTest, AlertAnswersTheIndexOfTheChosenButtonFirstOneRightmost) {
    std::vector<std::string> shown;
    whenDialogShows<Gtk::MessageDialog>([&](Gtk::MessageDialog& dialog) {
        shown = buttonLabels(dialog);
        dialog.response(1);
    });
    EXPECT_EQ(dialogs.showAlert("Restart now?", AlertStyle::Warning, {"Confirm", "Cancel"}), 1);
    EXPECT_EQ(shown, (std::vector<std::string>{"Cancel", "Confirm"}));
}

TEST_F(GtkDialogsTest, AlertWithoutButtonsHasOkAndClosingItAnswersMinusOne) {
    std::vector<std::string> shown;
    whenDialogShows<Gtk::MessageDialog>([&](Gtk::MessageDialog& dialog) {
        shown = buttonLabels(dialog);
        dialog.response(Gtk::RESPONSE_DELETE_EVENT);
    });
    EXPECT_EQ(dialogs.showAlert("Done", AlertStyle::Informational, {}), -1);
    EXPECT_EQ(shown, std::vector<std::string>{"OK"});
}
