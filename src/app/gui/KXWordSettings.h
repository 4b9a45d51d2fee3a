#pragma once
// The DOCX options of the selected item: four switches.

#include "app/gui/KXPDFConversionSettings.h"

class QCheckBox;

class KXWordSettings : public KXPDFConversionSettings {
    Q_OBJECT

public:
    explicit KXWordSettings(QWidget* parent = nullptr);

    void fillWithValues(const std::shared_ptr<KXSourceFileItem>& item) override;

    QCheckBox* docx_btn_trimBlankSpace() const { return docx_btn_trimBlankSpace_; }
    QCheckBox* docx_btn_mergeParagraph() const { return docx_btn_mergeParagraph_; }
    QCheckBox* docx_btn_enableShapToImage() const { return docx_btn_enableShapToImage_; }
    QCheckBox* docx_btn_enableMergeIntersectImages() const { return docx_btn_enableMergeIntersectImages_; }

protected:
    void storeValues() override;

private:
    QCheckBox* docx_btn_trimBlankSpace_ = nullptr;
    QCheckBox* docx_btn_mergeParagraph_ = nullptr;
    QCheckBox* docx_btn_enableShapToImage_ = nullptr;
    QCheckBox* docx_btn_enableMergeIntersectImages_ = nullptr;
};
