// How fast the downloads window follows the registry, with 1,000 records on a real display:
//  - a full reload: updateData (new row models: names, size texts, icons) and reloadTableView,
//    then the layout and painting of the window;
//  - a progress update: one running record's received count grows, reloadTableView, then the
//    layout and painting that show it.
// Goals: a progress update under 2 ms, a full reload under 100 ms.
//
//   downloads_window [--records N] [--rounds N] [--language zh-TW|zh-CN|en-US]
//   downloads_window --picture FILE.png [--language ...]
// The second form shows a few records in every state and saves a picture of the window.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtkmm.h>

#include "config/LanguageCodes.h"
#include "downloads/Q7ZDownloadDataSingleton.h"
#include "downloads/window/Q7ZDownloaderWindow.h"
#include "platform/MainThread.h"
#include "utility/Q7ZACUtility.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int records = 1000;
    int rounds = 50;
    std::string language = "en-US";
    std::string picture;
};

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int index = 1; index + 1 < argc; index += 2) {
        const std::string name = argv[index];
        const char* value = argv[index + 1];
        if (name == "--records") options.records = std::max(1, std::atoi(value));
        else if (name == "--rounds") options.rounds = std::max(1, std::atoi(value));
        else if (name == "--language") options.language = value;
        else if (name == "--picture") options.picture = value;
    }
    return options;
}

std::shared_ptr<Q7ZDownloadData> addRecord(int index, const std::string& name, Q7ZDownloadStatus status,
                                           std::int64_t total, std::int64_t received) {
    auto record = std::make_shared<Q7ZDownloadData>();
    record->setRequestID("bench-" + std::to_string(index));
    record->setSavePathString(Glib::get_user_special_dir(Glib::USER_DIRECTORY_DOWNLOAD) + "/" + name);
    record->setTotalDataLenght(total);
    record->setCountDataLenght(received);
    record->setCurrentstatus(status);
    Q7ZDownloadDataSingleton::getInstance().addDownloadData(record);
    return record;
}

// Many file types and every state, the newest (first shown) record running.
std::shared_ptr<Q7ZDownloadData> fillRegistry(int count) {
    static const char* const kExtensions[] = {"pdf", "zip", "png", "txt", "docx", "mp4", "xlsx", "tar.gz"};
    static const Q7ZDownloadStatus kStates[] = {Q7ZDownloadStatus::Finished, Q7ZDownloadStatus::Failed,
                                                Q7ZDownloadStatus::Finished, Q7ZDownloadStatus::FileMissing,
                                                Q7ZDownloadStatus::Downloading};
    std::shared_ptr<Q7ZDownloadData> newest;
    for (int index = 0; index < count; ++index) {
        const std::string name = "quarterly report " + std::to_string(index) + "." + kExtensions[index % 8];
        const auto state = index == count - 1 ? Q7ZDownloadStatus::Downloading : kStates[index % 5];
        newest = addRecord(index, name, state, 1000 + 7919LL * index * index, 300LL * index);
    }
    return newest;
}

void fillSample() {
    addRecord(0, "Setup guide.pdf", Q7ZDownloadStatus::None, 2048, 0);
    addRecord(1, "holiday-photos.zip", Q7ZDownloadStatus::FileMissing, 734003200, 734003200);
    const auto failed =
        addRecord(2, "budget 2027 (final, approved by the board).xlsx", Q7ZDownloadStatus::Failed, 18874368, 1200);
    failed->fail(Q7ZDownloadFailure::Network);
    failed->setRetryUrl("https://chat.example.com/files/budget-2027.xlsx");
    addRecord(3, "meeting-notes.txt", Q7ZDownloadStatus::Finished, 1536, 1536);
    addRecord(4, "product-demo.mp4", Q7ZDownloadStatus::Downloading, 1127428916, 402653184);
}

// Layout and painting now, instead of at the next frame.
void showNow(Q7ZDownloaderWindow& window) {
    window.check_resize();
    gdk_window_process_updates(window.get_window()->gobj(), TRUE);
}

void settle(Q7ZDownloaderWindow& window) {
    for (int round = 0; round < 50; ++round) {
        while (Glib::MainContext::get_default()->iteration(false)) {}
        showNow(window);
        g_usleep(2000);
    }
}

double milliseconds(Clock::duration duration) { return std::chrono::duration<double, std::milli>(duration).count(); }

void report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    std::printf("%-34s median %8.3f ms   min %8.3f ms   max %8.3f ms   (%zu rounds)\n", what,
                samples[samples.size() / 2], samples.front(), samples.back(), samples.size());
}

void savePicture(Q7ZDownloaderWindow& window, const std::string& path) {
    auto gdkWindow = window.get_window();
    auto picture = Gdk::Pixbuf::create(gdkWindow, 0, 0, gdkWindow->get_width(), gdkWindow->get_height());
    picture->save(path, "png");
    std::printf("saved %s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    MainThread::adoptCurrentThread();
    Q7ZACUtility::setLanguage(LanguageCodes::folderForLanguageCode(options.language));
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "No display\n");
        return 1;
    }
    Gtk::Main::init_gtkmm_internals();

    std::shared_ptr<Q7ZDownloadData> running;
    if (options.picture.empty()) running = fillRegistry(options.records);
    else fillSample();

    const auto created = Clock::now();
    Q7ZDownloaderWindow window(nullptr);
    if (!options.picture.empty()) window.resize(500, 580);  // every sample row in sight
    window.show();
    settle(window);
    if (!options.picture.empty()) {
        savePicture(window, options.picture);
        return 0;
    }
    std::printf("%d records; first window with its rows shown: %.3f ms\n", options.records,
                milliseconds(Clock::now() - created));

    std::vector<double> reloads, progress;
    for (int round = 0; round < options.rounds; ++round) {
        auto start = Clock::now();
        window.updateData();
        window.reloadTableView();
        showNow(window);
        reloads.push_back(milliseconds(Clock::now() - start));

        start = Clock::now();
        running->setCountDataLenght(running->countDataLenght() + 16384);
        window.reloadTableView();
        showNow(window);
        progress.push_back(milliseconds(Clock::now() - start));
    }
    report("updateData + reloadTableView", reloads);
    report("progress update of one row", progress);
    return 0;
}
