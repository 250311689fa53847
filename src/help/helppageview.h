#pragma once

#include "help/helpblock.h"

#include <QWidget>
#include <optional>

// The right side of the help window: one page's icon and title, then its blocks
// (headings, paragraphs, numbered steps, bullets, controls, key caps and tips)
// in the finish's colours at the interface zoom. It rebuilds itself when the
// finish or the zoom changes. Each drawn part is named by its kind ("title",
// "heading", "step", "bullet", "keycap", "tip") as its object name.
class MWHelpPageView : public QWidget {
    Q_OBJECT
public:
    explicit MWHelpPageView(QWidget* parent = nullptr);

    // The page to show; nothing shows an empty side.
    void setPage(const std::optional<HelpPage>& page);
    QString pageId() const { return page_ ? page_->id : QString(); }

private:
    void rebuild();

    std::optional<HelpPage> page_;
    QWidget* content_ = nullptr;
};
