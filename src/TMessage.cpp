// The message box class: storage and accessors. Drawing and answering live in message_box.cpp.
#include "TMessage.h"
#include "text_copy.h"

TMessage::TMessage() : type(MESSAGE_INFORMATION), action(ACTION_AUCUNE), click(false), active(false), confirm(false)
{
    line1[0] = 0;
    line2[0] = 0;
}

TMessage::~TMessage()
{
}

void TMessage::SetMessage(const char* l1, const char* l2, bool conf, int typ, int act)
{
    click = false;
    active = true;
    type = typ;
    action = act;
    confirm = conf;
    FnCopieBornee(line1, l1, MESSAGE_TAILLE - 1);
    FnCopieBornee(line2, l2, MESSAGE_TAILLE - 1);
}

void TMessage::SetLine1(const char* s)
{
    FnCopieBornee(line1, s, MESSAGE_TAILLE - 1);
}

void TMessage::SetLine2(const char* s)
{
    FnCopieBornee(line2, s, MESSAGE_TAILLE - 1);
}
