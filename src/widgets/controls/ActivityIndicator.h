#pragma once

#include <QTimer>
#include <QWidget>

// A small spinner that turns while it is shown. Main thread.
class TActivityIndicator : public QWidget
{
    Q_OBJECT

public:
    explicit TActivityIndicator(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Advance();

    QTimer FTimer;
    int FStep = 0;
};
