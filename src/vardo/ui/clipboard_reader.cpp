#include "vardo/ui/clipboard_reader.h"

#include "vardo/ui/queued_call.h"

#include <QApplication>
#include <QClipboard>
#include <QThread>

#include <chrono>
#include <future>
#include <memory>

namespace vardo::ui {

namespace {

std::string readClipboard()
{
    return QGuiApplication::clipboard()->text().toStdString();
}

} // namespace

std::function<bool(std::string& text)> clipboardReader(int timeoutMs)
{
    return [timeoutMs](std::string& text) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return false;
        if (QThread::currentThread() == app->thread()) {
            text = readClipboard();
            return !text.empty();
        }
        // Shared with the queued call, which may run after the wait gave up.
        auto answer = std::make_shared<std::promise<std::string>>();
        std::future<std::string> result = answer->get_future();
        postTo(app, [answer] { answer->set_value(readClipboard()); });
        if (result.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready)
            return false;
        text = result.get();
        return !text.empty();
    };
}

} // namespace vardo::ui
