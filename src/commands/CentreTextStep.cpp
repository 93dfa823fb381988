#include "commands/CentreTextStep.h"

#include "commands/StepNames.h"

CentreTextStep::CentreTextStep(OpenLabel& label, int index, CentreAxis axis)
    : EditTextStep(label,
                   axis == CentreAxis::Across ? StepNames::centreTextAcross()
                                              : StepNames::centreTextDown(),
                   index, Centring::centred(label.document.item(index), axis)) {}
