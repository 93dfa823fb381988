#pragma once

#include "document/BackgroundScale.h"
#include "document/BackgroundState.h"
#include "document/LabelChange.h"
#include "document/LabelDocument.h"
#include "platform/Platform.h"
#include "platform/pictures/Picture.h"

#include <vector>

// The label that is open: the document and what lives beside it for the run. The window owns
// exactly one; the undo steps change it through the edits below, which tell its listeners (the
// view) what changed. Edits made inside one Edit are told once, together.
struct OpenLabel {
    LabelDocument document;
    Picture picture; // empty = no background
    int scaleStep = 0;
    // The side the picture shows at step 0 (see BackgroundScale).
    double zoomBaseMm = BackgroundScale::DefaultBaseMm;
    // The document dialog's file name is DocumentPath; the picture dialog's is BackPath.
    FileDialogState documentDialog;
    FileDialogState backgroundDialog;

    OpenLabel() = default;
    OpenLabel(const OpenLabel&) = delete;
    OpenLabel& operator=(const OpenLabel&) = delete;

    void insertItem(int index, const TextItem& item);
    void setItem(int index, const TextItem& item);
    TextItem removeItem(int index);
    void select(int index);
    BackgroundState background() const;
    void setBackground(const BackgroundState& state);

    void addListener(LabelListener* listener);
    void removeListener(LabelListener* listener);

    // Groups edits into one change.
    class Edit {
    public:
        explicit Edit(OpenLabel& label) : label_(label) { ++label_.editDepth_; }
        ~Edit() {
            if (--label_.editDepth_ == 0)
                label_.tell();
        }
        Edit(const Edit&) = delete;
        Edit& operator=(const Edit&) = delete;

    private:
        OpenLabel& label_;
    };

private:
    void note(unsigned part, int item = -1);
    void tell();

    std::vector<LabelListener*> listeners_;
    LabelChange pending_;
    bool pendingSeveral_ = false;
    int editDepth_ = 0;
};
