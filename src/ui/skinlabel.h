#pragma once
// A caption centred over the parent's background, optionally framed.
#include <QColor>
#include <QImage>
#include <QWidget>

namespace voxa {

class TSkinLabel : public QWidget {
    Q_OBJECT
public:
    explicit TSkinLabel(QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    QString Caption() const { return m_caption; }
    // The label is the caption's text width + 2 by its height + 2.
    void setAutoSize(bool on);
    bool AutoSize() const { return m_autoSize; }
    // A 1-pixel white rectangle around the edge.
    void setBorder(bool on);
    bool Border() const { return m_border; }
    void setBaseColor(const QColor &c);
    QColor BaseColor() const { return m_baseColor; }
    void setFontColor(const QColor &c);
    QColor FontColor() const { return m_fontColor; }

    // The label's look at a device pixel ratio.
    QImage RenderPicture(qreal dpr = 1.0) const;

protected:
    void paintEvent(QPaintEvent *) override;
    void changeEvent(QEvent *e) override;

private:
    void fitSize();

    QString m_caption;
    bool m_autoSize = false;
    bool m_border = false;
    QColor m_baseColor;
    QColor m_fontColor = Qt::white;
};

}  // namespace voxa
