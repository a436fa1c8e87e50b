#pragma once
// A yes/no box with a drop-down choice of touch-calibration point counts (4, 9
// or 25) over the dialog background picture.
#include "bmessagebox.h"

class ComboBox;

class ChooseCaliNumWidget : public ChooseBox {
public:
    explicit ChooseCaliNumWidget(QWidget* parent = nullptr);

    // The chosen point count: 4, 9 or 25.
    int pointCount() const;

    ComboBox* pointCombo;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void placeButtons();
};
