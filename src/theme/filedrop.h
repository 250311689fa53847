#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;

// Makes any widget a drop target for files. Files whose extension, lower-cased,
// is in the set (every file when the set is empty) reach the callback in drop
// order; other files are ignored. When files were dropped and none is accepted,
// the alert says "That file type isn't supported" with "Supported: " and the
// sorted extensions. Anything that is not a local file is ignored. While a
// drag is over the widget a dashed white border is drawn on top of it.
class MWFileDrop : public QObject {
    Q_OBJECT
public:
    using OnDrop = std::function<void(const QList<QUrl>& files)>;
    // A warning with one "OK" button: title as its text, message as its
    // informative text.
    using Alert = std::function<void(const QString& title, const QString& message)>;

    MWFileDrop(QWidget* target, QSet<QString> exts, OnDrop onDrop);

    bool hovering() const { return hovering_; }
    // Replaces the alert (tests answer it without a modal dialog).
    void setAlert(Alert alert) { alert_ = std::move(alert); }

    // The warning shown for unsupported files: a QMessageBox with one "OK" button.
    static void warn(const QString& title, const QString& message);
    // "Supported: " and the extensions, sorted and joined with ", ".
    static QString supportedText(const QSet<QString>& exts);
    // The files of urls whose extension is accepted, in order.
    static QList<QUrl> accepted(const QList<QUrl>& urls, const QSet<QString>& exts);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setHovering(bool hovering);
    void drop(const QList<QUrl>& urls);

    QPointer<QWidget> target_;
    QWidget* overlay_;
    QSet<QString> exts_;
    OnDrop onDrop_;
    Alert alert_;
    bool hovering_ = false;
};

// Makes target a drop target for files with the given extensions; the returned
// object belongs to target.
MWFileDrop* mwFileDrop(QWidget* target, const QSet<QString>& exts, MWFileDrop::OnDrop onDrop);
