#include "tracks/TrackListCommands.h"

#include "commands/InsertTracksStep.h"
#include "commands/LabelHistory.h"
#include "commands/StepNames.h"
#include "editing/TextCommands.h"
#include "tracks/TrackListDialog.h"

TrackListCommands::TrackListCommands(const LabelContext& context, LabelHistory& history,
                                     TextCommands& text)
    : context_(context), history_(history), text_(text) {}

// The dialog reports to this object; it goes first, its reading stopped (and, without a parent
// window, it would otherwise never go).
TrackListCommands::~TrackListCommands() {
    delete dialog_.data();
}

TrackListDialog& TrackListCommands::dialog() {
    if (!dialog_) {
        dialog_ = new TrackListDialog(context_.platform, context_.dialogParent);
        QObject::connect(dialog_, &TrackListDialog::previewChanged, dialog_,
                         [this](const std::vector<TextItem>& items) {
                             context_.surface.showPreviewItems(items);
                         });
    }
    return *dialog_;
}

void TrackListCommands::mnuEditTracks_Click() {
    const int room = MaxTextItems - context_.document().itemCount();
    if (room <= 0) {
        context_.platform.showMessage(context_.dialogParent,
                                      QStringLiteral("文字は100個までしか挿入できません。"),
                                      StepNames::insertTrackList(), MessageButtons::Ok);
        return;
    }
    TrackListDialog& list = dialog();
    // The font, size and colour last used: the last list's, or before the first list the text's
    // last inserted or edited.
    if (!styleChosen_ && text_.lastStyle())
        list.setStyle(*text_.lastStyle());
    list.prepare(room, context_.surface.viewSidePx());
    context_.platform.showModal(&list);
    list.stopReading();
    context_.surface.showPreviewItems({});
    if (!list.confirmed() || list.items().empty())
        return;
    styleChosen_ = true;
    history_.push(
        std::make_unique<InsertTracksStep>(context_.label, list.items()));
}
