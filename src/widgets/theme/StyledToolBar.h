#pragma once

#include "theme/StyledButton.h"

#include <QWidget>

class QButtonGroup;

// A row of checkable styled buttons of which exactly one can be down at a time, laid out side
// by side at a fixed size with the first one indented. Main thread only.
class TStyledToolBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize ButtonSize{70, 30};
    static constexpr int Indent = 10;

    TStyledToolBar(const QString& family, const QString& appearance, QWidget* parent = nullptr);

    // Adds a button after the last one; it takes the bar's style and corner radius.
    TStyledButton* AddButton(const QString& text);
    QList<TStyledButton*> Buttons() const;

    void SetCornerRadius(int radius);

    QSize sizeHint() const override;

private:
    QString FFamily;
    QString FAppearance;
    int FCornerRadius = TStyledButton::DefaultCornerRadius;
    QButtonGroup* FGroup;
};
