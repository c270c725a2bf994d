#include "TOfficeStatusLabel.h"

TOfficeStatusLabel::TOfficeStatusLabel(TOfficeLink *Link, QWidget *parent) : QLabel(parent), FLink(Link)
{
    setObjectName(QStringLiteral("StatusPanelOffice"));
    connect(FLink, &TOfficeLink::stateChanged, this, &TOfficeStatusLabel::Refresh);
    Refresh();
}

void TOfficeStatusLabel::Refresh()
{
    const TOfficeLink::TState s = FLink->State();
    setText(TOfficeLink::StatusText(s));
    setToolTip(s.Error);
}
