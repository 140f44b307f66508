#pragma once

#include <QImage>
#include <QWidget>

namespace win {

// What has been drawn on a window through its device context: a transparent child above all
// of the window's other children, holding the drawn pixels until the window's content is
// painted again (see clearOverlays) or the window changes size.
class WindowOverlay : public QWidget
{
public:
    // The overlay of `window`, made when missing and `create` is set.
    static WindowOverlay *of(QWidget *window, bool create);
    // The drawing surface, the window's size, transparent where nothing was drawn.
    QImage &image();
    // Shows what was drawn into image().
    void changed();
    void clear();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WindowOverlay(QWidget *window);
    QImage m_image;
};

} // namespace win
