#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <variant>

// The seven kinds of content a help page is made of. Every page is a list of
// these, so all pages render alike and the search reads them the same way.
struct HelpHeading {
    QString text;
    bool operator==(const HelpHeading&) const = default;
};
struct HelpText {
    QString text;
    bool operator==(const HelpText&) const = default;
};
struct HelpSteps {  // numbered 1, 2, 3 …
    QStringList items;
    bool operator==(const HelpSteps&) const = default;
};
struct HelpBullets {
    QStringList items;
    bool operator==(const HelpBullets&) const = default;
};
struct HelpControl {
    QString name;
    QString description;
    bool operator==(const HelpControl&) const = default;
};
struct HelpKey {
    QString keys;  // shown on a key cap
    QString description;
    bool operator==(const HelpKey&) const = default;
};
struct HelpTip {
    QString text;
    bool operator==(const HelpTip&) const = default;
};

// The alternatives are in the kinds' canonical order; HelpBlockKind follows it.
using HelpBlock =
    std::variant<HelpHeading, HelpText, HelpSteps, HelpBullets, HelpControl, HelpKey, HelpTip>;
enum class HelpBlockKind { heading, text, steps, bullets, control, key, tip };
HelpBlockKind kind(const HelpBlock& block);

// What the help search reads from a block: the text itself; list items joined
// with single spaces; a control or key as its first string, a space, the second.
QString searchableText(const HelpBlock& block);

struct HelpPage {
    QString id;  // unique in the catalogue; the Help menu opens pages by it
    QString title;
    QString symbol;  // an icon name of the symbol table
    QList<HelpBlock> blocks;
    bool operator==(const HelpPage&) const = default;
};
