#include "TRobotFieldsEditor.h"
#include "ICallView.h"

void TRobotFieldsEditor::Open(const QString &Number)
{
    FView.ProcessMessages();
    FEditor.LoadCall(Number, ckOutgoing);
    FView.Wait(400);
    FEditor.ShowInFront();
}
