#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

class QWidget;

// Two panes side by side with a draggable vertical bar between them. The owner gives a widget
// to serve as the bar, the left pane and (optionally) the right pane, and the rectangle the
// three share; the class moves and sizes them, lets the user drag the bar with the left mouse
// button between MinWidth and MaxWidth, and emits Resize after a drag. All lengths are twips.
class ClsSplitWnd : public QObject
{
    Q_OBJECT

public:
    explicit ClsSplitWnd(QObject *parent = nullptr);

    // Keeps the three widgets, takes the bar's colour as BackColor, raises the bar and starts
    // handling its mouse events. The right pane may be null.
    void Initialize(QWidget *bar, QWidget *leftPane, QWidget *rightPane);

    double Left() const { return m_Left; }
    void setLeft(double value) { m_Left = value; }
    double Top() const { return m_Top; }
    void setTop(double value) { m_Top = value; }
    double Width() const { return m_Width; }
    void setWidth(double value) { m_Width = value; }
    double Height() const { return m_Height; }
    void setHeight(double value) { m_Height = value; }
    QColor BackColor() const { return m_BackColor; }
    void setBackColor(const QColor &color) { m_BackColor = color; }
    double MinWidth() const { return m_MinWidth; }
    void setMinWidth(double value) { m_MinWidth = value; }
    double MaxWidth() const { return m_MaxWidth; }
    void setMaxWidth(double value) { m_MaxWidth = value; }
    double SplitWidth() const { return m_SplitWidth; }
    void setSplitWidth(double value) { m_SplitWidth = value; }

    // Lays the panes and the bar out in the rectangle again; the owner calls it whenever its
    // own size changes.
    void OnParentResize();

    // True while the left button drags the bar.
    bool dragging() const { return m_anchor != NoDrag; }

signals:
    // A drag has ended and the panes have their new sizes.
    void Resize();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static constexpr int NoDrag = 2147483647;

    void LayoutPanes();
    void mouseDown(Qt::MouseButton button, double x);
    void mouseMove(Qt::MouseButtons buttons, double x);
    void mouseUp(double x);
    void setBarColor(const QColor &color);

    QPointer<QWidget> m_bar, m_leftPane, m_rightPane;
    double m_Left = 0, m_Top = 0, m_Width = 0, m_Height = 0;
    QColor m_BackColor;
    double m_MinWidth = 0, m_MaxWidth = 5000, m_SplitWidth = 50;
    int m_anchor = NoDrag;
};
