#pragma once
// A text label that behaves like a web link: link colours, underline while the
// pointer is over it, the address as its tool tip, and a click that opens the
// address in the desktop's browser (with an error box when that fails).
#include <QColor>
#include <QLabel>
#include <QString>
#include <functional>

namespace clipvane {

class HyperlinkLabel : public QLabel {
    Q_OBJECT
public:
    // Underline modes: while hovering, always, never.
    enum Underline { kUnderlineHover = -1, kUnderlineNever = 0, kUnderlineAlways = 1 };

    explicit HyperlinkLabel(const QString& text, QWidget* parent = nullptr);

    // Sets the address; an empty label text shows the address itself.
    void SetURL(const QString& url);
    QString URL() const { return url_; }
    void SetUnderline(Underline mode);

    bool Hovering() const { return hovering_; }
    bool Visited() const { return visited_; }
    QColor CurrentColour() const;

    // Opens the link as a click does; returns whether it opened.
    bool Activate();

    // The opener used by clicks (the desktop's browser by default); tests
    // replace it.
    static void SetOpener(std::function<bool(const QString&)> opener);

    static QColor LinkColour() { return {0, 0, 238}; }
    static QColor VisitedColour() { return {85, 26, 139}; }
    static QColor HoverColour() { return {255, 0, 0}; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Restyle();

    QString url_;
    bool hovering_ = false;
    bool visited_ = false;
    Underline underline_ = kUnderlineHover;
};

// "Unable to open hyperlink:" message body for an opener result code.
QString HyperlinkErrorText(int result);

}  // namespace clipvane
