#include "ClickBesideItems.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <utility>

namespace platform {

namespace {

class BesideItemsFilter : public QObject {
public:
    BesideItemsFilter(QAbstractItemView& view, std::function<void()> onClick)
        : QObject(&view), view_(view), onClick_(std::move(onClick)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
            type != QEvent::MouseButtonRelease)
            return false;
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        // A disabled viewport still passes its mouse events through the filter.
        const bool beside = mouse->button() == Qt::LeftButton && view_.isEnabled() &&
                            view_.viewport()->rect().contains(at) && !view_.indexAt(at).isValid();
        if (type != QEvent::MouseButtonRelease) {
            pressedBeside_ = beside;
        } else if (std::exchange(pressedBeside_, false) && beside) {
            view_.clearSelection();
            onClick_();
        }
        // The view takes the click too.
        return false;
    }

private:
    QAbstractItemView& view_;
    std::function<void()> onClick_;
    bool pressedBeside_ = false;
};

} // namespace

void onClickBesideItems(QAbstractItemView& view, std::function<void()> onClick) {
    view.viewport()->installEventFilter(new BesideItemsFilter(view, std::move(onClick)));
}

} // namespace platform
