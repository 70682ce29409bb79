#pragma once

#include <functional>

class QAbstractItemView;

namespace platform {

// A desk list view reports a click on its empty part too, where an item view reports none:
// after a left click (press and release) on a part of view's viewport that shows no item, the
// selection is cleared, as there, and onClick runs. A disabled view takes no clicks.
void onClickBesideItems(QAbstractItemView& view, std::function<void()> onClick);

} // namespace platform
