// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/file_drop.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <utility>

namespace belltower::ui {
namespace {

class FileDropFilter final : public QObject {
public:
    FileDropFilter(std::function<void(const QString&)> open, QObject* parent)
        : QObject(parent), open_(std::move(open)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            return Take(static_cast<QDragMoveEvent*>(event)).has_value();
        case QEvent::Drop:
            if (const std::optional<QString> path = Take(static_cast<QDropEvent*>(event))) {
                QMetaObject::invokeMethod(
                    this, [open = open_, file = *path] { open(file); }, Qt::QueuedConnection);
                return true;
            }
            return false;
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    // Accepts a drag or drop of a local file as a copy: the file stays where it is, whatever
    // the program it comes from proposes.
    static std::optional<QString> Take(QDropEvent* event) {
        std::optional<QString> path = DraggedLocalFile(event->mimeData());
        if (path) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
        }
        return path;
    }

    std::function<void(const QString&)> open_;
};

}  // namespace

std::optional<QString> DraggedLocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return std::nullopt;
    }
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) {
        return std::nullopt;
    }
    const QString path = urls.first().toLocalFile();
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}

void AcceptFileDrops(QWidget* window, std::function<void(const QString&)> open) {
    auto* filter = new FileDropFilter(std::move(open), window);
    window->setAcceptDrops(true);
    window->installEventFilter(filter);
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (control->acceptDrops()) {
            control->installEventFilter(filter);
        }
    }
}

}  // namespace belltower::ui
