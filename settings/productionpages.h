#pragma once
// The production page (device tab) and the reminder page (memorandum tab) of the settings dialog.
// Both lists come from the network client: the bridge asks (kinds 14 and 17) and hands the answers'
// bodies to cnt_reset_product and cnt_reset_remind on the GUI thread.
#include <QString>

#include "widgets/bwidget.h"

class BComboBox;
class BLineEdit;
class PageControlBar;
class QPushButton;
class QStandardItemModel;
class QTableView;

class DeviceParamsWidget : public BWidget {
    Q_OBJECT
public:
    explicit DeviceParamsWidget(QWidget* parent = nullptr);
    // Loads the product name, operator, cavity count, expected capacity and product batch from
    // gpWParaBak; the product selector then holds the stored name only.
    void WizardParaInit();
    void accept();
    // A product list reply: the product chosen before stays first and selected, followed by the
    // client's names without that one repeated. A reply that does not parse, has no "result" or an
    // element without "product_name" changes nothing.
    void cnt_reset_product(const QString& body);

    BComboBox* productBox;
    QPushButton* getProductButton;
    BLineEdit* operatorEdit;
    BLineEdit* cavityEdit;
    BLineEdit* capacityEdit;
    BLineEdit* batchEdit;
    QPushButton* resetButton;

public slots:
    // The device tab or the get button was pressed: asks the network client for its product list.
    void SlotGetProductName();
    // After a question, removes the bridge's statistics and manual-stop state files and the client's
    // picture folders, then the bridge loads its records again.
    void SlotResetStatistics();

private:
    QString operatorShown;  // as loaded or last accepted
};

class MemorandumWidget : public BWidget {
    Q_OBJECT
public:
    explicit MemorandumWidget(QWidget* parent = nullptr);
    // A reminder list reply, shown while the page is visible: the rows are replaced by the reply's
    // reminders in order; a reminder with a member missing ends the list there. A reply that does
    // not parse, has no "result" or an empty one, or comes while the page is hidden changes nothing.
    void cnt_reset_remind(const QString& body);

    QTableView* table;
    QStandardItemModel* model;
    PageControlBar* pageBar;
};
