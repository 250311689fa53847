#pragma once

#include "model/aspect.h"
#include "model/captions.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QUuid>
#include <memory>

class CWStore;
namespace Captions {
class Drawing;
}

// The selected clip's captions as its export burns them in: the same script,
// drawn by the same library, at the crop frame's size on screen. The viewer
// lays the picture over the frame; `changed` tells it when the captions of
// the moment are no longer the ones drawn (the playhead reached another cue,
// or the clip, its source's captions or the shape changed).
class CWCaptionPreview : public QObject {
    Q_OBJECT
public:
    explicit CWCaptionPreview(CWStore* store, QObject* parent = nullptr);
    ~CWCaptionPreview() override;

    // The captions at the playhead for a frame of size on screen; a null
    // image when the selected clip shows none there.
    QImage at(QSize size);

signals:
    void changed();

private:
    // Builds the script again when what it is made of differs.
    void refresh();
    void follow();

    CWStore* store_;
    std::unique_ptr<Captions::Drawing> drawing_;
    struct Made {
        // Held, so that the identity compared is never that of freed cues.
        std::shared_ptr<const Captions::Cues> cues;
        double in = 0;
        double out = 0;
        Aspect aspect = Aspect::vertical;
        QSize render;
        Captions::Style style;
        bool operator==(const Made&) const = default;
    };
    std::optional<Made> made_;
    QImage last_;
    QSize lastSize_;
};
