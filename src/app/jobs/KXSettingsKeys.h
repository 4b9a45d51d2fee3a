#pragma once
// The keys under which the application keeps the user's choices in the settings store. Each read
// names its own default (KXCUtilities); there is no registration step.

// Output format and image type: display names of the output-format table.
inline constexpr const char* Setting_Key_Docuvane_OutputFormat = "Setting_Key_Docuvane_OutputFormat";
inline constexpr const char* Setting_Key_Docuvane_OutputFormat_ImageType = "Setting_Key_Docuvane_OutputFormat_ImageType";
// DOCX options of new items.
inline constexpr const char* Setting_Key_Docuvane_Word_isMergeParagraphs = "Setting_Key_Docuvane_Word_isMergeParagraphs";
inline constexpr const char* Setting_Key_Docuvane_Word_isTrimmingBlankSpaceCharacters =
    "Setting_Key_Docuvane_Word_isTrimmingBlankSpaceCharacters";
inline constexpr const char* Setting_Key_Docuvane_Word_enableShapToImage = "Setting_Key_Docuvane_Word_enableShapToImage";
inline constexpr const char* Setting_Key_Docuvane_Word_enableMergeIntersectImages =
    "Setting_Key_Docuvane_Word_enableMergeIntersectImages";
// Spreadsheet options of new items.
inline constexpr const char* Setting_Key_Docuvane_Excel_FormatStyle = "Setting_Key_Docuvane_Excel_FormatStyle";
inline constexpr const char* Setting_Key_Docuvane_Excel_ThousandSepartor = "Setting_Key_Docuvane_Excel_ThousandSepartor";
inline constexpr const char* Setting_Key_Docuvane_Excel_OverlapText = "Setting_Key_Docuvane_Excel_OverlapText";
inline constexpr const char* Setting_Key_Docuvane_Excel_IsEachPageSheet = "Setting_Key_Docuvane_Excel_IsEachPageSheet";
inline constexpr const char* Setting_Key_Docuvane_Excel_IsAiosAddToRow = "Setting_Key_Docuvane_Excel_IsAiosAddToRow";
// Page-image options of new items.
inline constexpr const char* Setting_Key_Docuvane_Image_ImageDPI = "Setting_Key_Docuvane_Image_ImageDPI";
inline constexpr const char* Setting_Key_Docuvane_Image_ImageQuality = "Setting_Key_Docuvane_Image_ImageQuality";
// The preferences, which apply to every job.
inline constexpr const char* KXDocuvaneSettings_OpenFileAfterConversion = "KXDocuvaneSettings_OpenFileAfterConversion";
inline constexpr const char* KXDocuvaneSettings_ParserPDFAnnotsAction = "KXDocuvaneSettings_ParserPDFAnnotsAction";
inline constexpr const char* KXDocuvaneSettings_ImageDPI = "KXDocuvaneSettings_ImageDPI";
// Whether the settings pane is hidden.
inline constexpr const char* setttings_isHiddenSettings = "setttings_isHiddenSettings";
// The output folder chosen by the user, as an absolute path.
inline constexpr const char* KXDefaulExportDirectory_SandBox = "KXDefaulExportDirectory_SandBox";
