#pragma once
// The spreadsheet options of the selected item (XLSX and CSV): the format style, the thousands
// separator, the tolerance of joining text on a line, and one sheet per page or all pages in one
// sheet, stacked or side by side. The stacking choice is usable only for all pages in one sheet.

#include "app/gui/KXPDFConversionSettings.h"

class QButtonGroup;
class QComboBox;
class QWidget;

class KXExcelSettings : public KXPDFConversionSettings {
    Q_OBJECT

public:
    explicit KXExcelSettings(QWidget* parent = nullptr);

    void fillWithValues(const std::shared_ptr<KXSourceFileItem>& item) override;
    void updateValueAction() override;

    // The choices as the options take them; a control with nothing chosen reads as its first row.
    int selectedDataStruct() const;
    int selectedThousandSepartor() const;
    int selectedOverlapText() const;
    bool isAllInOneSheet() const;
    bool isAiosAddToRow() const;

    QButtonGroup* mtx_dataStruct() const { return mtx_dataStruct_; }
    QComboBox* pub_thousandSepartor() const { return pub_thousandSepartor_; }
    QComboBox* pub_overlapText() const { return pub_overlapText_; }
    QButtonGroup* mtx_eachPageSheet() const { return mtx_eachPageSheet_; }
    QButtonGroup* mtx_aiosAddToRow() const { return mtx_aiosAddToRow_; }
    // Whether the stacking choice can be used.
    bool isAiosAddToRowEnabled() const;

protected:
    void storeValues() override;

private:
    void updateEnabling();

    QButtonGroup* mtx_dataStruct_ = nullptr;
    QComboBox* pub_thousandSepartor_ = nullptr;
    QComboBox* pub_overlapText_ = nullptr;
    QButtonGroup* mtx_eachPageSheet_ = nullptr;
    QButtonGroup* mtx_aiosAddToRow_ = nullptr;
    QWidget* aiosAddToRowBox_ = nullptr;
};
