#pragma once

#include "help/helpblock.h"

#include <QWidget>

// The help sidebar's list: each page's icon in a frame 18 points wide, then its
// title in 12.5-point rounded type, bold on a capsule for the page shown and
// medium for the others. A click (or the arrow keys) picks a page.
class MWHelpPageList : public QWidget {
    Q_OBJECT
public:
    explicit MWHelpPageList(QWidget* parent = nullptr);

    void setPages(const QList<HelpPage>& pages);
    const QList<HelpPage>& pages() const { return pages_; }
    void setSelected(const QString& id);
    QString selected() const { return selected_; }

    // Where a page's row is, in the list's coordinates; empty when not listed.
    QRect rowRect(const QString& id) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void picked(const QString& id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int rowHeight() const;

    QList<HelpPage> pages_;
    QString selected_;
};
