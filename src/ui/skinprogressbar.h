#pragma once
// A progress bar drawn by tinting its parent's background: the done part in
// blue, the rest lighter, with a caption over it.
#include <QColor>
#include <QImage>
#include <QWidget>

namespace voxa {

class TSkinProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit TSkinProgressBar(QWidget *parent = nullptr);

    static constexpr int DoneBlue = 70;
    static constexpr int RestRaise = 100;

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    // Setting Min above or Max below the position moves the position along.
    void setMin(int v);
    void setMax(int v);
    // Accepted only from Min to Max; repaints when the fill edge moves.
    void setPosition(int v);

    void setCaption(const QString &caption);
    QString Caption() const { return m_caption; }
    void setColor(const QColor &c);
    void setBaseColor(const QColor &c);
    void setFontColor(const QColor &c);

    // The last filled column.
    int FillEdge() const;
    // The bar's look at a device pixel ratio; columns are logical pixels.
    QImage RenderPicture(qreal dpr = 1.0) const;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
    QString m_caption;
    QColor m_color;
    QColor m_baseColor;
    QColor m_fontColor = Qt::white;
};

}  // namespace voxa
