// The message box class: storage and accessors. Drawing and answering live in message_box.cpp.
#include "TMessage.h"

namespace {

void CopieLigne(char* dest, const char* src)
{
    int i = 0;
    while (src[i] != 0 && i < MESSAGE_TAILLE - 1) {
        dest[i] = src[i];
        i++;
    }
    dest[i] = 0;
}

}  // namespace

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
    CopieLigne(line1, l1);
    CopieLigne(line2, l2);
}

void TMessage::SetLine1(const char* s)
{
    CopieLigne(line1, s);
}

void TMessage::SetLine2(const char* s)
{
    CopieLigne(line2, s);
}
