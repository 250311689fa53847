#pragma once

#include "theme/kit.h"

#include <QVariant>
#include <QVector>
#include <QWidget>
#include <optional>
#include <utility>
#include <vector>

// A segmented selector: one label per item side by side, the item whose value
// equals the selection highlighted on a capsule. Values are of any type QVariant
// can compare (enums, strings, numbers, or a type with operator==); the typed
// helpers below hide the QVariant. A selection that matches no item shows no
// highlight. Clicking an item (or Left/Right with the keyboard focus) selects it.
// A screen reader finds a group of radio buttons named by the accessible name
// the caller gives (what is being chosen), the selected item checked.
class MWSegment : public QWidget {
    Q_OBJECT
public:
    struct Item {
        QVariant value;
        QString label;
    };

    explicit MWSegment(QWidget* parent = nullptr);

    QVector<Item> items() const { return items_; }
    void setItems(const QVector<Item>& items);
    template <typename T> void setItems(const std::vector<std::pair<T, QString>>& items)
    {
        QVector<Item> wrapped;
        for (const auto& [value, label] : items)
            wrapped.append({QVariant::fromValue(value), label});
        setItems(wrapped);
    }

    QVariant selection() const { return selection_; }
    // Changes the highlight; emits selectionChanged when the value differs.
    void setSelection(const QVariant& value);
    template <typename T> void select(const T& value) { setSelection(QVariant::fromValue(value)); }
    template <typename T> std::optional<T> selectionAs() const
    {
        if (!selection_.canConvert<T>())
            return std::nullopt;
        return selection_.value<T>();
    }
    // The highlighted item, -1 when the selection matches none.
    int selectedIndex() const;

    // Where item index is drawn, in widget coordinates.
    QRectF itemRect(int index) const;
    // Selects item index as a click on it does (activated is emitted).
    void choose(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void selectionChanged(const QVariant& value);
    // The user chose an item (also when it was already selected).
    void activated(const QVariant& value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    int itemAt(const QPointF& pos) const;
    // Everything but the focus ring, into the cached face.
    void drawFace(QPainter& painter);

    QVector<Item> items_;
    QVariant selection_;
    int hovered_ = -1;
    MWFace face_;
};
