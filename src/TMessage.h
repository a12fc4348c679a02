// The message box: two lines of text, a question (confirm and decline) or a notice
// (acknowledge), and the answer. The frame loop draws it and carries out a confirmed action.
#ifndef TMESSAGE_H
#define TMESSAGE_H

enum {
    MESSAGE_TAILLE = 100,     // bytes of a line, terminator included
    MESSAGE_INFORMATION = 0,  // type: one acknowledge button
    MESSAGE_QUESTION = 1,     // type: confirm and decline buttons
    ACTION_AUCUNE = 0,
    ACTION_SUPPRIMER = 1,     // delete the note named by ChaineTitre
    ACTION_QUITTER = 2        // end the program
};

class TMessage {
public:
    TMessage();
    ~TMessage();

    // Opens the box; replaces one that is open. Texts are cut to 99 bytes.
    void SetMessage(const char* l1, const char* l2, bool conf, int typ, int act);

    void SetActive(bool a) { active = a; }
    void SetConfirm(bool c) { confirm = c; }
    void SetClick(bool c) { click = c; }
    void SetType(int t) { type = t; }
    void SetAction(int a) { action = a; }
    void SetLine1(const char* s);
    void SetLine2(const char* s);

    char* GetLine1() { return line1; }
    char* GetLine2() { return line2; }
    int GetType() const { return type; }
    int GetAction() const { return action; }
    bool GetActive() const { return active; }
    bool GetConfirm() const { return confirm; }
    bool GetClick() const { return click; }

private:
    char line1[MESSAGE_TAILLE];
    char line2[MESSAGE_TAILLE];
    int type;
    int action;
    bool click;    // answered by one of the two question buttons
    bool active;   // shown and waiting for an answer
    bool confirm;  // the answer was the confirm button
};

#endif
