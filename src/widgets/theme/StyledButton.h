#pragma once

#include "theme/StyledButtonAttributes.h"

#include <QAbstractButton>

// A flat push button drawn with the attribute set of its current state, taken from a style
// family by name. Behaves as any QAbstractButton otherwise. Main thread only.
class TStyledButton : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int DefaultCornerRadius = 6;

    explicit TStyledButton(QWidget* parent = nullptr);
    // The class is the family's default one.
    TStyledButton(const QString& family, const QString& appearance, QWidget* parent = nullptr);

    void SetCornerRadius(int radius);

    TButtonState State() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    TStyledButtonAttributes CurrentAttributes() const;
    TStyledButtonAttributes FallbackAttributes() const;
    QFont StyledFont(TFontStyles style) const;

    QString FFamily;
    QString FClass;
    QString FAppearance;
    int FCornerRadius = DefaultCornerRadius;
    bool FIsHot = false;
};
