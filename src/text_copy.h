// The bounded copy that fills every fixed text buffer. Inline, so that the keyboard
// objects, which serve programs linked with them alone, carry it with them.
#ifndef TEXT_COPY_H
#define TEXT_COPY_H

// Copies texte into dest up to its terminator or max bytes, whichever comes first, and
// terminates dest, which holds max + 1 bytes. Returns the number of bytes copied.
inline int FnCopieBornee(char* dest, const char* texte, int max)
{
    int n = 0;
    while (n < max && texte[n] != 0) {
        dest[n] = texte[n];
        n++;
    }
    dest[n] = 0;
    return n;
}

#endif
