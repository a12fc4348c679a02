#!/usr/bin/env python3
"""The notes on the Linux kernel's own FAT driver (vfat), run as a process by user-mode
Linux, against every state a power cut can leave:
1. each operation (a save of a note of one cluster and of a long-named note of several, a
   create, a delete) runs once on a card, every sector the kernel writes recorded in order
   with the flushes the card receives (ecritures.c);
2. from those, every state of the card a cut can leave: what was flushed stays, what was
   not may be lost in part, in any order, and the last write may be torn in half
   (a prefix of the writes, a torn last write, anything up to a flush plus any subset of the
   writes up to the next); each distinct state once;
3. on each state: the start-up, then the start-up again, each followed by a look at the
   card: every note holds exactly its old or its new bytes (the new ones once the
   operation returned), the program lists the notes and nothing else, the folder holds
   nothing else, the second start-up changed nothing, the kernel reported no FAT error and
   fsck.vfat -n finds nothing but lost clusters and orphaned long-name parts;
4. the start-up's own writes, when it wrote, cut the same way in some states (every state
   with --tout), each then checked as in 3.
The card is used as on the handheld, whose kernel lists a short name of capitals in small
letters (shortname=lower), and in the other layouts of the notes folder: the card itself
mounted as dossier/, and dossier/ a link to a folder of the card. Rows off the power-cut path
(a nearly full card, a save the card fails once the note is removed and what follows) are
checked once they returned.
Many states share one boot (16 cards a kernel) and two kernels run side by side. With
--ancien, each file sync first writes every dirty buffer of the card, as the handheld's 2.4
kernel's does (flushes.c).
SCRIVELLE_BUILD names the build folder. Exit status 77 when the kernel cannot run here."""
import glob
import re
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_card import AUTRE, GRAND, TODO, operations  # noqa: E402

BUILD = os.path.abspath(os.environ.get('SCRIVELLE_BUILD', 'build'))
CARTE = os.path.join(BUILD, "scrivelle_carte_seule")
ECRITURES = os.path.join(BUILD, 'libecritures.so')
UML = shutil.which('linux.uml')
LONG = 'liste de courses'  # a long name: long-name entries before its short one
BASE = {'todo': TODO, 'autre': AUTRE, LONG: GRAND}
PAR_NOYAU = 16       # cards a kernel takes
SECTEUR = 512
TAILLE = 16 << 20    # the card


def modules():
    """The kernel's module folder, found at run time."""
    for d in sorted(glob.glob('/usr/lib/uml/modules/*/kernel')):
        if os.path.exists(os.path.join(d, 'fs/fat/vfat.ko')):
            return d
    return None


class Noyau:
    """A scratch folder for user-mode kernels: card images and their logs, markers, and a
    mount point and an output folder per kernel."""

    def __init__(self, dossier):
        self.dossier = dossier
        self.cartes = os.path.join(dossier, 'cartes')
        self.marques = os.path.join(dossier, 'marques')
        for d in (self.cartes, self.marques):
            os.makedirs(d, exist_ok=True)
        self.suite = 0  # batches of states so far

    def lance(self, quoi, cartes, corps):
        """Boots a kernel named quoi on the named cards (ubda, ubdb, ...), runs the shell lines
        corps (a function of the card's name and its device) for each, and returns its folder."""
        ici = os.path.join(self.dossier, quoi)
        os.makedirs(os.path.join(ici, 'm'))
        os.makedirs(os.path.join(ici, 'sortie'))
        lignes = ['#!/bin/sh', 'export PATH=/usr/sbin:/usr/bin:/sbin:/bin',
                  'mount -t proc proc /proc', 'mount -t sysfs sys /sys',
                  'for m in fat/fat fat/vfat nls/nls_cp437 nls/nls_iso8859-1; do insmod %s/fs/$m.ko; done' % modules(),
                  'M=%s/m; S=%s/sortie; H=%s/h; n=0' % (ici, ici, ici),
                  'Q=%s; marque() { n=$((n+1)); : > "$Q/$1.$2.$n"; }' % self.marques]
        for i, c in enumerate(cartes):
            # One clock for every card, so that the times the kernel writes into folder
            # entries, and so the states, are the same from one run to the next.
            lignes += ['date -s "2024-06-11 12:00:00" > /dev/null', corps(c, 'ubd' + chr(ord('a') + i))]
        lignes.append('poweroff -f')
        script = os.path.join(ici, 'init.sh')
        with open(script, 'w') as f:
            f.write('\n'.join(lignes) + '\n')
        os.chmod(script, 0o755)
        args = [UML, 'mem=128M', 'root=/dev/root', 'rootfstype=hostfs', 'rootflags=/', 'rw',
                'init=' + script, 'con=null', 'con0=fd:0,fd:1', 'umid=scrivelle-%d-%s' % (os.getpid(), quoi),
                'uml_dir=' + ici]
        args += ['ubd%d=%s' % (i, os.path.join(self.cartes, c + '.img')) for i, c in enumerate(cartes)]
        env = dict(os.environ, LD_PRELOAD=ECRITURES, ECRITURES_CARTES=self.cartes, ECRITURES_MARQUES=self.marques)
        with open(os.path.join(ici, 'console'), 'wb') as console:
            subprocess.run(args, stdin=subprocess.DEVNULL, stdout=console, stderr=subprocess.STDOUT, env=env,
                           timeout=600)
        return ici

    def journal(self, carte):
        """The card's log: a list of ('W', offset, bytes) and ('M', tag)."""
        lu = []
        chemin = os.path.join(self.cartes, carte + '.ecr')
        if not os.path.exists(chemin):
            return lu
        with open(chemin, 'rb') as f:
            b = f.read()
        o = 0
        while o < len(b):
            if b[o:o + 1] == b'W':
                ou, n = struct.unpack_from('<QI', b, o + 1)
                lu.append(('W', ou, b[o + 13:o + 13 + n]))
                o += 13 + n
            else:
                n = struct.unpack_from('<I', b, o + 1)[0]
                lu.append(('M', b[o + 5:o + 5 + n].decode()))
                o += 5 + n
        return lu


def coupe(journal, debut='debut', fin='fin'):
    """The writes between two markers, the flush points among them (the count of writes
    before each), and the count before the marker 'retour' (None without one)."""
    dedans, ecritures, flushes, retour = False, [], [], None
    for e in journal:
        if e[0] == 'M' and e[1] == debut:
            dedans = True
        elif e[0] == 'M' and e[1] == fin and dedans:
            break
        elif dedans and e[0] == 'W':
            ecritures.append((e[1], e[2]))
        elif dedans and e[1] == 'F':
            flushes.append(len(ecritures))
        elif dedans and e[1] == 'retour':
            retour = len(ecritures)
    return ecritures, flushes, retour


def avant(journal, marque='debut'):
    """The writes before a marker."""
    ecritures = []
    for e in journal:
        if e[0] == 'M' and e[1] == marque:
            break
        if e[0] == 'W':
            ecritures.append((e[1], e[2]))
    return ecritures


def dechire(ou, octets):
    """A write torn in half: the first half of its sectors, or of one sector's bytes."""
    secteurs = len(octets) // SECTEUR
    return (ou, octets[:secteurs // 2 * SECTEUR] if secteurs > 1 else octets[:SECTEUR // 2])


def etats(ecritures, flushes, retour):
    """Every state a cut can leave, as (name, the writes that landed, whether the operation
    had returned): a prefix with a torn last write, and everything up to a flush with any
    subset of the writes up to the next (which holds every plain prefix and every flushed
    prefix plus one later write)."""
    n = len(ecritures)
    bornes = sorted(set([0] + [f for f in flushes if f < n] + [n]))
    tous = []
    for a, b in zip(bornes, bornes[1:] + [n]):
        m = b - a
        for masque in range(1 << m):
            pris = list(range(a)) + [a + i for i in range(m) if masque >> i & 1]
            nom = 'flushed %d, then %s of the next %d' % (a, [a + i + 1 for i in range(m) if masque >> i & 1], m)
            tous.append((nom, [ecritures[i] for i in pris], retour is not None and set(range(retour)) <= set(pris)))
    for k in range(1, n + 1):
        tous.append(('cut at write %d torn' % k, ecritures[:k - 1] + [dechire(*ecritures[k - 1])],
                     retour is not None and k > retour))
    return tous


class Image:
    """A card: a clean card's bytes, and the sectors written over them since."""

    def __init__(self, propre, secteurs=None):
        self.propre, self.secteurs = propre, dict(secteurs or {})

    def plus(self, ecritures):
        s = dict(self.secteurs)
        for ou, o in ecritures:
            for i in range(0, len(o), SECTEUR):
                k = (ou + i) // SECTEUR
                # Part of a sector (a torn one): the rest as it was.
                avant = s.get(k, self.propre[k * SECTEUR:(k + 1) * SECTEUR])
                s[k] = o[i:i + SECTEUR] + avant[len(o) - i:]
        return Image(self.propre, s)

    def ecrit(self, chemin):
        """Writes the card sparsely: a clean card is mostly zeros."""
        with open(chemin, 'wb') as f:
            f.truncate(TAILLE)
            for ou, o in Image.pleins(self.propre):
                f.seek(ou)
                f.write(o)
            for s, o in sorted(self.secteurs.items()):
                f.seek(s * SECTEUR)
                f.write(o)

    @staticmethod
    def pleins(octets, bloc=4096, cache={}):
        if id(octets) not in cache:
            vide = bytes(bloc)
            cache[id(octets)] = [(i, octets[i:i + bloc]) for i in range(0, len(octets), bloc)
                                 if octets[i:i + bloc] != vide]
        return cache[id(octets)]

    def cle(self):
        h = hashlib.sha1()
        for s, o in sorted(self.secteurs.items()):
            if o != self.propre[s * SECTEUR:(s + 1) * SECTEUR]:
                h.update(struct.pack('<I', s) + o)
        return h.digest()


class Cas:
    """One state to check: its card, how it is used, the note the operation touched and its
    allowed texts (None: no note of that name)."""

    def __init__(self, quoi, nom, image, note, permis, usage):
        self.quoi, self.nom, self.image, self.note, self.permis, self.usage = quoi, nom, image, note, permis, usage


class Usage:
    """How a card is used: its mount options, and where the notes folder lies: 'carte', a
    folder dossier/ of the card beside the program's files (the handheld's); 'racine', the
    card itself mounted as dossier/; 'lien', dossier/ a link to a folder of the card from a
    program folder elsewhere."""

    def __init__(self, options='', disposition='carte'):
        self.options, self.disposition = options, disposition

    def monte(self, c, ubd):
        """Shell lines mounting the card, $P the program's folder, its dossier/ made."""
        m = 'mount -t vfat %s/dev/%s' % ('-o %s ' % self.options if self.options else '', ubd)
        if self.disposition == 'racine':
            return 'P=$H/%s && mkdir -p $P/dossier && %s $P/dossier' % (c, m)
        if self.disposition == 'lien':
            return '%s $M && mkdir -p $M/notes && P=$H/%s && mkdir -p $P && ln -sfn $M/notes $P/dossier' % (m, c)
        return '%s $M && P=$M && mkdir -p $M/dossier' % m

    def demonte(self):
        return 'umount $P/dossier' if self.disposition == 'racine' else 'umount $M'


MAIN = Usage('shortname=lower')  # the handheld's kernel: a short name of capitals listed in small letters
# The card's free room brought down to %d clusters by a file beside the notes folder.
REMPLIT = 'set -- $(stat -f -c "%%a %%S" $P) && dd if=/dev/zero of=$P/remplissage bs=$2 count=$(($1 - %d)) status=none'
ECHOUE = 'ECRITURES_ECHEC=2'  # the card refuses the second write: a save's note, once its record is written


class Ligne:
    """A row: the commands run one after the other (the driver's arguments, or a shell line),
    the note they touch and its texts before and once they returned, how the card is used,
    what the commands must say, whether every cut state is tried or only the last, and the
    row whose count of writes and flushes it must have."""

    def __init__(self, quoi, commandes, note, permis, usage=MAIN, dit='', coupee=True, comme=None):
        self.quoi, self.commandes, self.note, self.permis = quoi, commandes, note, permis
        self.usage, self.dit, self.coupee, self.comme = usage, dit, coupee, comme


def lignes(dossier):
    # The save of one cluster is cut at every state with the card itself as dossier/; the
    # long-named save of several clusters, which makes the same steps, on the handheld's layout.
    ops = [Ligne(quoi, [args], note, permis, dit=args[1] + '\n' if args[0] == 'create' else '', coupee=i > 0)
           for i, (quoi, args, note, permis) in enumerate(operations(dossier, LONG))]
    save, delete, nouveau = ops[0].commandes[0], ops[3].commandes[0], TODO + b'x'
    racine, lien = Usage('', 'racine'), Usage('', 'lien')
    return ops + [
        Ligne('create of a name in capitals', [['create', 'NOTES']], 'notes', [None, b''], dit='notes\n'),
        Ligne('save, the card itself as dossier/', [save], 'todo', [TODO, nouveau], racine),
        Ligne('delete, the card itself as dossier/', [delete], 'todo', [TODO, None], racine, coupee=False),
        Ligne('save, dossier/ a link to the card', [save], 'todo', [TODO, nouveau], lien, coupee=False,
              comme=ops[0].quoi),
        # FAT's read-only attribute shows no write bit: the save refuses it.
        Ligne('save of a read-only note', ['chmod a-w $P/dossier/todo', save], 'todo', [TODO, TODO],
              dit='carte: save: result 3\n', coupee=False),
        Ligne('save on a nearly full card', [REMPLIT % 1, save], 'todo', [TODO, TODO],
              dit='carte: save: result 6\n', coupee=False),
        Ligne('save failed once the note was removed, the card then full', [[ECHOUE] + save, REMPLIT % 0], 'todo',
              [TODO, nouveau], dit='carte: save: result 6\n', coupee=False),
        Ligne('save failed once the note was removed, then a delete', [[ECHOUE] + save, delete], 'todo',
              [TODO, None], dit='carte: save: result 6\n', coupee=False),
        Ligne('save failed once the note was removed, then a create in another spelling',
              [[ECHOUE] + save, ['create', 'Todo']], 'todo', [TODO, nouveau],
              dit='carte: save: result 6\ncarte: create: result 15\n', coupee=False),
    ]


def sous_noyau(ubd, c, commande):
    """A shell line running the driver in the program's folder, its flushes marked; a shell
    line as it is."""
    if isinstance(commande, str):
        return commande
    env = [a for a in commande if '=' in a] + (['ECRITURES_TOUT=1'] if '--ancien' in sys.argv else [])
    args = ' '.join('"%s"' % a for a in commande if a not in env)
    return '(cd $P && env ECRITURES_UBD=%s ECRITURES_CARTE=%s ECRITURES_MARQUES=$Q %s %s %s)' % (
        ubd, c, ' '.join(env), CARTE, args)


def enregistre(noyau, dossier):
    """Puts the notes on fresh cards, runs each operation on its own, and returns for each
    (name, the card before it, its writes, flushes and return point, note, texts)."""
    vierge = os.path.join(dossier, 'vierge.img')
    subprocess.run(['truncate', '-s', str(TAILLE), vierge], check=True)
    subprocess.run(['mkfs.vfat', '-i', '5c1e2024', vierge], check=True, stdout=subprocess.DEVNULL)
    notes = os.path.join(dossier, 'notes')
    os.makedirs(notes)
    for nom, octets in BASE.items():
        with open(os.path.join(notes, nom), 'wb') as f:
            f.write(octets)
    ops = lignes(dossier)
    noms = ['op%d' % i for i in range(len(ops))]
    for n in noms:
        shutil.copy(vierge, os.path.join(noyau.cartes, n + '.img'))

    def corps(c, ubd):
        op = ops[noms.index(c)]
        pose = ' && '.join('cp "%s/%s" "$P/dossier/"' % (notes, n) for n in BASE)
        return '\n'.join([
            '%s && %s && %s' % (op.usage.monte(c, ubd), pose, op.usage.demonte()),
            op.usage.monte(c, ubd), 'marque %s debut' % c] +
            [sous_noyau(ubd, c, commande) + ' >> $S/%s.sortie 2>&1' % c for commande in op.commandes] +
            ['marque %s retour' % c, 'sync', 'marque %s fin' % c] + [op.usage.demonte()])
    ici = noyau.lance('ops', noms, corps)
    sortie = os.path.join(ici, 'sortie')
    with open(vierge, 'rb') as f:
        propre = Image(f.read())
    faits, comptes = [], {}
    for n, op in zip(noms, ops):
        j = noyau.journal(n)
        if not j:
            return None  # the kernel did not start
        ecritures, flushes, retour = coupe(j)
        if retour is None:
            raise RuntimeError('%s: the operation did not run on the kernel' % op.quoi)
        dit = (lis(os.path.join(sortie, n + '.sortie')) or b'').decode('latin-1')
        if dit != op.dit:
            enregistre.echecs.append('%s: said %r, not %r' % (op.quoi, dit, op.dit))
        comptes[op.quoi] = (len(ecritures), len(flushes))
        if op.comme and comptes[op.quoi] != comptes[op.comme]:
            enregistre.echecs.append('%s: %d writes and %d flushes, not those of the %s' % (
                (op.quoi,) + comptes[op.quoi] + (op.comme,)))
        faits.append((op, propre.plus(avant(j)), ecritures, flushes, retour))
    return faits


enregistre.echecs = []


def demarrages(noyau, cas):
    """Runs the start-up twice on every state (PAR_NOYAU a kernel, two kernels at a time)
    and checks each; returns the failures and each state's log."""
    lots = [cas[i:i + PAR_NOYAU] for i in range(0, len(cas), PAR_NOYAU)]
    noyau.suite += 1

    def lot(i):
        noms = []
        for j, c in enumerate(lots[i]):
            noms.append('e%d_%d_%d' % (noyau.suite, i, j))
            c.image.ecrit(os.path.join(noyau.cartes, noms[-1] + '.img'))

        def corps(n, ubd):
            u = lots[i][noms.index(n)].usage
            return '%s && { %s; %s; }; dmesg -c > $S/%s.dmesg' % (
                u.monte(n, ubd), sous_noyau(ubd, n, ['check', '$S/%s.v' % n]), u.demonte(), n)
        return noyau.lance('k%d_%d' % (noyau.suite, i), noms, corps), noms
    with ThreadPoolExecutor(2) as ex:
        faits = list(ex.map(lot, range(len(lots))))
    echecs, suites = [], []
    for (ici, noms), groupe in zip(faits, lots):
        for nom, c in zip(noms, groupe):
            e = verifie(noyau, ici, nom, c)
            if e:
                echecs.append((c, e))
            suites.append((c, noyau.journal(nom)))
            for fin in ('.img', '.ecr'):
                os.remove(os.path.join(noyau.cartes, nom + fin))
    return echecs, suites


def lis(chemin):
    try:
        with open(chemin, 'rb') as f:
            return f.read()
    except OSError:
        return None


def photos(ici, nom):
    """After each start-up: the names the program listed and the folder's entries with
    their bytes (None: unreadable)."""
    vues = []
    for ligne in (lis(os.path.join(ici, 'sortie', nom + '.v')) or b'').decode('latin-1').splitlines():
        champs = ligne.split('\t')
        if champs[0] == 'passe':
            vues.append(([], {}))
        elif champs[0] == 'liste':
            vues[-1][0].append(champs[1])
        else:
            vues[-1][1][champs[1]] = None if champs[2] == '-' else bytes.fromhex(champs[2])
    return vues + [([], {})] * (2 - len(vues))


def verifie(noyau, ici, nom, c):
    echecs = []
    (liste, octets), deuxieme = photos(ici, nom)
    entrees = list(octets)
    if (liste, octets) != deuxieme:
        echecs.append('the second start-up changed the card')
    # A note whose file is missing holds the text of its save's live record, which stands for it.
    texte = octets[c.note] if c.note in octets else texte_du_journal(octets, c.note)
    if texte not in c.permis:
        echecs.append('%s holds %s' % (c.note, 'nothing' if c.note not in octets else '%s bytes' % (
            'unreadable' if texte is None else len(texte))))
    for n, o in BASE.items():
        if n != c.note and octets.get(n) != o:
            echecs.append('%s is not as it was' % n)
    autres = [n for n in BASE if n != c.note]
    notes = sorted(autres + ([c.note] if texte is not None else []))
    if sorted(liste) != notes:
        echecs.append('the program lists %s' % sorted(liste))
    # A record cut before its first byte landed is no proof of anything: the start-up leaves
    # it, unlisted (counted); so is a live record standing for its note.
    debris = [e for e in entrees if e.startswith(('.copie-', '.copie~')) and e not in liste]
    if sorted(set(entrees) - set(debris)) != sorted(autres + ([c.note] if c.note in octets else [])):
        echecs.append('the folder holds %s' % sorted(entrees))
    verifie.debris += bool(debris)
    dmesg = (lis(os.path.join(ici, 'sortie', nom + '.dmesg')) or b'').decode('latin-1').splitlines()
    erreurs = [l for l in dmesg if 'FAT-fs' in l and 'not properly unmounted' not in l]
    if erreurs:
        echecs.append('the kernel: ' + ' | '.join(erreurs[:3]))
    r = subprocess.run(['fsck.vfat', '-n', os.path.join(noyau.cartes, nom + '.img')],
                       capture_output=True, text=True)
    sortie = r.stdout + r.stderr
    reste = [l for l in sortie.strip().splitlines()[1:]
             if l.strip() and not TOLERE.search(l)]
    if reste:
        echecs.append('fsck.vfat -n: ' + ' | '.join(sortie.strip().splitlines()[1:]))
    elif r.returncode:
        verifie.tolere += 1
    return echecs


verifie.tolere = verifie.debris = 0


def texte_du_journal(octets, note):
    """The new text of a live save's record of the note among the folder's entries, or None."""
    for nom in ('.copie-' + note, '.copie~' + note):
        r = octets.get(nom) or b''
        if r[:4] == b'SCJ2' and len(r) >= 32:
            n, l = struct.unpack_from('<I', r, 8)[0], struct.unpack_from('<I', r, 28)[0]
            if r[32:32 + l] == note.encode('latin-1') and n != 0xfffffffe and len(r) == 32 + l + n:
                return r[32 + l:]
    return None
TOLERE = re.compile(r'^(Reclaimed \d+ unused clusters? \(\d+ bytes\)\.|Leaving filesystem unchanged\.|'
                    r'Dirty bit is set.*| *Automatically removing dirty bit\.|FATs differ but appear to be intact\.|'
                    r' *Using first FAT\.| *Auto-deleting\.|'
                    r'Orphaned long file name part .*|.*Free cluster summary.*|\d+: .*|.*files?, \d+/\d+ clusters)$')


def main():
    tout = '--tout' in sys.argv
    if not UML or not modules() or not shutil.which('insmod'):
        print('test_kernel: no user-mode Linux with FAT modules here (package user-mode-linux): not run')
        return 77
    debut = time.time()
    # In /tmp, not /dev/shm: the kernel mounts its own /dev over the host's.
    with tempfile.TemporaryDirectory(prefix='scrivelle-noyau-') as d:
        noyau = Noyau(d)
        ops = enregistre(noyau, d)
        if ops is None:
            print('test_kernel: user-mode Linux does not run here: not run')
            return 77
        echecs = [(Cas('what the operations said', '', None, None, None, None), [e]) for e in enregistre.echecs]
        cas = []
        for op, avant_op, ecritures, flushes, retour in ops:
            vus = set()
            tous = etats(ecritures, flushes, retour) if op.coupee else [('once it returned', ecritures, True)]
            for nom, pris, rendu in tous:
                image = avant_op.plus(pris)
                if image.cle() not in vus:
                    vus.add(image.cle())
                    cas.append(Cas(op.quoi, nom, image, op.note, op.permis[1:] if rendu else op.permis, op.usage))
            print('%s: %d writes, %d flushes, %d states' % (op.quoi, len(ecritures), len(flushes), len(vus)),
                  flush=True)
        e, suites = demarrages(noyau, cas)
        echecs += e
        # The start-up cut in its turn: in every state where it wrote (--tout), or, for each
        # operation, in the state where it wrote the most.
        coupes = []
        coupees = set(op.quoi for op, _, _, _, _ in ops if op.coupee)
        ecrit = [(c, j) for c, j in suites if coupe(j)[0] and c.quoi in coupees]
        choisis = ecrit if tout else [max((x for x in ecrit if x[0].quoi == quoi), key=lambda x: len(coupe(x[1])[0]))
                                      for quoi in dict.fromkeys(c.quoi for c, _ in ecrit)]
        for c, j in choisis:
            ecritures, flushes, _ = coupe(j)
            depart = c.image.plus(avant(j))
            vus = set()
            for nom, pris, _ in etats(ecritures, flushes, None):
                image = depart.plus(pris)
                if image.cle() not in vus:
                    vus.add(image.cle())
                    coupes.append(Cas(c.quoi + ', start-up cut', '%s; start-up %s' % (c.nom, nom), image, c.note,
                                      c.permis, c.usage))
        print('start-ups that wrote: %d; cut in %d of them: %d states' % (len(ecrit), len(choisis), len(coupes)),
              flush=True)
        e, _ = demarrages(noyau, coupes)
        echecs += e
    par_op = {}
    for c in cas + coupes:
        par_op.setdefault(c.quoi, [0, 0])[0] += 1
    for c, _ in echecs:
        par_op.setdefault(c.quoi, [0, 0])[1] += 1
    for quoi, (n, e) in par_op.items():
        print('%s: %d states, %d failed' % (quoi, n, e))
    print('crash states tried: %d, failed: %d; cards left with lost clusters, orphaned long-name parts or '
          'differing tables: %d; with a cut record left alone: %d; %.0f s'
          % (len(cas) + len(coupes), len(echecs), verifie.tolere, verifie.debris, time.time() - debut))
    for c, e in echecs[:40]:
        print('FAIL %s, %s: %s' % (c.quoi, c.nom, '; '.join(e)))
    if len(echecs) > 40:
        print('... and %d more' % (len(echecs) - 40))
    return 1 if echecs else 0


if __name__ == '__main__':
    sys.exit(main())
