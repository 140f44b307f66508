#include "platform/excel/WindowView.h"

namespace excel {

namespace {
WindowView::Factory &installed()
{
    static WindowView::Factory factory;
    return factory;
}
} // namespace

void WindowView::setFactory(Factory factory)
{
    installed() = std::move(factory);
}

const WindowView::Factory &WindowView::factory()
{
    return installed();
}

} // namespace excel
