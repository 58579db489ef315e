#pragma once

#include <QWidget>

// A rectangle in one flat colour that lets the mouse through to what lies beneath.
class TShape : public QWidget
{
    Q_OBJECT

public:
    explicit TShape(QWidget* parent);

    void SetColor(QColor color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor FColor;
};
