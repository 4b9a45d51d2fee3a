#pragma once
// The running character state of an RTF document: what the last written control words set, so
// that a run writes only what changes.

struct KXRTF_State {
    float fontSize = 0;            // half-points
    int fontIndex = 0;             // -1: no run written yet in this document
    int foregroundColorIndex = 0;  // the colour last written by "\cfN"
    int backgroundColorIndex = 0;
    struct {
        bool bold = false;
        bool italic = false;
    } flags;
    int underline = 0;
    int superscript = 0;
    int alignment = 0;
    int firstLineIndent = 0;
    int leftIndent = 0;
    int rightIndent = 0;
};

class KXRTFUtilities {
public:
    // The state of a new document: size -1, font -1, colour -1, background 0, plain, no underline.
    static KXRTF_State defaultStateProperty();
};
