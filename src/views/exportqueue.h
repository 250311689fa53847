#pragma once

#include "model/exportrow.h"

#include <QPointer>
#include <QWidget>

class CWStore;
class MWChromeButton;
class MWPanel;
class QLabel;
class QScrollArea;
class QVBoxLayout;

// The bar under a queue row: progress out of 1.0 on a dark track.
class CWQueueBar : public QWidget {
    Q_OBJECT
public:
    explicit CWQueueBar(QWidget* parent = nullptr);
    double value() const { return value_; }
    void setValue(double value);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double value_ = 0;
};

// One clip of the batch: the output name, its state and its progress.
class CWQueueRow : public QWidget {
    Q_OBJECT
public:
    explicit CWQueueRow(QWidget* parent = nullptr);

    void setRow(const ExportRow& row);
    const ExportRow& row() const { return row_; }
    QLabel* nameLabel() const { return name_; }
    QLabel* stateLabel() const { return state_; }
    CWQueueBar* bar() const { return bar_; }
    void restyle();

    // The colour a state is written in: red for a failure, green when done,
    // the finish's secondary text otherwise.
    static QColor stateColour(const QString& state);
    // The state as a screen reader says it: with the share done while the
    // clip is being exported ("Exporting… 42 %").
    static QString spokenState(const ExportRow& row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeLine();

    ExportRow row_;
    QWidget* line_;
    QLabel* name_;
    QLabel* state_;
    CWQueueBar* bar_;
};

// The export batch over the whole window: a dimmed backdrop and a panel with
// one row per clip, Cancel while the batch runs and Close after it. It shows
// itself while the store has export rows and keeps itself the size of its
// parent, which should be the window's content. A screen reader finds a
// dialog named by the title, with the batch's progress as its value.
class CWExportQueue : public QWidget {
    Q_OBJECT
public:
    CWExportQueue(CWStore* store, QWidget* parent);

    QList<CWQueueRow*> rows() const { return rows_; }
    QLabel* title() const { return title_; }
    MWChromeButton* cancelButton() const { return cancel_; }
    MWChromeButton* closeButton() const { return close_; }
    MWPanel* panel() const { return panel_; }
    QScrollArea* scrollArea() const { return scroll_; }
    // The batch's progress: the mean of its rows, a row that has ended counting
    // as whole; and in words, "2 of 5 finished, 48 %".
    double overall() const;
    QString overallText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void showRows();
    // Gives the keys to the queue while a batch runs, to Close after it.
    void takeKeys(Qt::FocusReason reason);
    void showExporting();
    void fitList();
    void restyle();

    CWStore* store_;
    MWPanel* panel_;
    QLabel* symbol_;
    QLabel* title_;
    QScrollArea* scroll_;
    QVBoxLayout* list_;
    MWChromeButton* cancel_;
    MWChromeButton* close_;
    QList<CWQueueRow*> rows_;
    QPointer<QWidget> focusBefore_;
};
