#include "theme/filedrop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace {

// The dashed border, drawn over the target's content while a drag is over it.
// It never takes clicks and is hidden the rest of the time.
class DropBorder : public QWidget {
public:
    explicit DropBorder(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        constexpr double kWidth = 3;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(QColor::fromRgbF(1, 1, 1, 0.8f), kWidth);
        // Qt counts dashes in pen widths: 8 points on, 6 off. Flat caps, or
        // each dash grows by a pen width and eats the gaps.
        pen.setDashPattern({8 / kWidth, 6 / kWidth});
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QRectF inside =
            QRectF(rect()).adjusted(kWidth / 2, kWidth / 2, -kWidth / 2, -kWidth / 2);
        painter.drawRoundedRect(inside, 16, 16);
    }
};

QString extensionOf(const QUrl& url)
{
    return QFileInfo(url.toLocalFile()).suffix().toLower();
}

}  // namespace

MWFileDrop::MWFileDrop(QWidget* target, QSet<QString> exts, OnDrop onDrop)
    : QObject(target), target_(target), overlay_(new DropBorder(target)), exts_(std::move(exts)),
      onDrop_(std::move(onDrop)), alert_(&MWFileDrop::warn)
{
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

void MWFileDrop::warn(const QString& title, const QString& message)
{
    QMessageBox box(QMessageBox::Warning, QString(), title, QMessageBox::Ok);
    box.setInformativeText(message);
    box.exec();
}

QString MWFileDrop::supportedText(const QSet<QString>& exts)
{
    QStringList sorted(exts.cbegin(), exts.cend());
    std::sort(sorted.begin(), sorted.end());
    return QStringLiteral("Supported: ") + sorted.join(QStringLiteral(", "));
}

QList<QUrl> MWFileDrop::accepted(const QList<QUrl>& urls, const QSet<QString>& exts)
{
    QList<QUrl> files;
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && (exts.isEmpty() || exts.contains(extensionOf(url))))
            files.append(url);
    }
    return files;
}

void MWFileDrop::setHovering(bool hovering)
{
    if (hovering == hovering_)
        return;
    hovering_ = hovering;
    if (hovering) {
        overlay_->setGeometry(target_->rect());
        overlay_->raise();
        overlay_->show();
    } else {
        overlay_->hide();
    }
}

bool MWFileDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != target_)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        if (!enter->mimeData()->hasUrls())
            return false;
        enter->acceptProposedAction();
        setHovering(true);
        return true;
    }
    case QEvent::DragMove: {
        auto* move = static_cast<QDragMoveEvent*>(event);
        if (!move->mimeData()->hasUrls())
            return false;
        move->acceptProposedAction();
        return true;
    }
    case QEvent::DragLeave:
        setHovering(false);
        return false;
    case QEvent::Drop: {
        auto* dropped = static_cast<QDropEvent*>(event);
        setHovering(false);
        if (!dropped->mimeData()->hasUrls())
            return false;
        dropped->acceptProposedAction();
        // The callback and any alert run after the drop has finished, so the
        // application the files came from is not held by a modal dialog.
        const QList<QUrl> urls = dropped->mimeData()->urls();
        QMetaObject::invokeMethod(
            this, [this, urls] { drop(urls); }, Qt::QueuedConnection);
        return true;
    }
    case QEvent::Resize:
        overlay_->setGeometry(target_->rect());
        return false;
    default:
        return false;
    }
}

void MWFileDrop::drop(const QList<QUrl>& urls)
{
    const bool anyFile =
        std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& url) { return url.isLocalFile(); });
    if (!anyFile)
        return;
    const QList<QUrl> files = accepted(urls, exts_);
    if (!files.isEmpty()) {
        if (onDrop_)
            onDrop_(files);
        return;
    }
    if (alert_)
        alert_(QStringLiteral("That file type isn't supported"), supportedText(exts_));
}

MWFileDrop* mwFileDrop(QWidget* target, const QSet<QString>& exts, MWFileDrop::OnDrop onDrop)
{
    return new MWFileDrop(target, exts, std::move(onDrop));
}
