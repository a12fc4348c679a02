#!/usr/bin/env python3
"""The notes on a FAT card, with a FAT driver in user space (fusefat) as root:
1. the notes layer's folder tests of the unit suite, run once more on a fresh card;
2. the power-cut test: a save of an existing note (one cluster and several), a create and a
   delete, cut at every write the driver makes to the card, whole and (where that lands
   anything) torn in half; after each cut the start-up runs (after a whole cut, it is also
   cut at each of its writes, then runs again); then the note must hold exactly its old or
   its new bytes, every other entry its own, nothing of the program's may be left, and the
   card's check must find nothing;
3. the state a kernel's rename over a note leaves when cut (two entries on one chain of
   clusters), made by editing the image, then the start-up on it, which removes neither.
   The kernel's own driver is test_kernel.py's.
SCRIVELLE_BUILD names the build folder. An argument runs one part alone, so that the parts
can run side by side: "dossier" (1 and 3) or the name of one operation of 2 ("save",
"save-clusters", "create", "delete"). Without /dev/fuse it says so and ends with status 77,
which CTest reports as skipped.

fusefat removes a file by freeing its chain from the first cluster on; when that cluster
is already free it goes on to cluster 0 and clears the tables' first entry (the media
byte), which the kernel's driver never does (it stops with an error and frees nothing).
With the byte cleared, the next such removal makes fusefat loop forever. The program
only removes such an entry where no other way exists (a cut left it, or it shares its
clusters with a note); the test puts the media byte back after every mount, counts how
often, and asks the same of the card as everywhere else."""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fat16 import Fat16, rend_media_si_perdu  # noqa: E402

BUILD = os.path.abspath(os.environ.get('SCRIVELLE_BUILD', 'build'))
CARTE = os.path.join(BUILD, 'scrivelle_carte')
COUPURE = os.path.join(BUILD, 'libcoupure.so')
TESTS = os.path.join(BUILD, 'scrivelle_tests')

# The folder tests that a FAT card can run: those that need links, chmod, pipes or devices
# are left to the other file systems.
TESTS_DOSSIER = ':'.join([
    'Catalogue.*', 'Notes.LoadsLinesAsTheFormatSplitsThem', 'Notes.MissingNote*',
    'Notes.RoundTripKeepsEveryByte', 'Notes.SaveWritesText*', 'Notes.SaveGoesToTheEnd*',
    'Notes.IncompleteNote*', 'Notes.UnreadableNote*', 'Notes.FailedWrite*',
    'Notes.ACut*', 'Notes.StartUp*', 'Notes.SaveFailing*',
]) + '-Catalogue.ScanKeepsFolderOrder*:Catalogue.AFileUnderTwoNames*'

AUTRE = bytes(range(256)) * 12            # a neighbour that no operation may touch
TODO = (b'buy milk, call mum' * 2 + b'\n') * 27  # 999 bytes, one cluster
GRAND = bytes(1 + (i * 7) % 250 for i in range(3000))  # lines of at most 250 bytes
BASE = {'autre': AUTRE, 'todo': TODO, 'grand': GRAND}  # the card before each operation


def monte(image, point, env):
    p = subprocess.Popen(['fusefat', '-f', '-s', '-o', 'rw+,hard_remove', image, point],
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=dict(os.environ, **env))
    # Bounded only so that a broken driver cannot hang the run: a busy machine may be slow.
    for _ in range(12000):
        if os.path.ismount(point):
            return p
        if p.poll() is not None:
            raise RuntimeError('fusefat did not mount %s' % image)
        time.sleep(0.005)
    raise RuntimeError('fusefat: no mount')


def demonte(p, point):
    # Once the driver is gone (a cut), the mount is only a dead connection to detach.
    subprocess.run(['fusermount', '-u'] + (['-z'] if p.poll() is not None else []) + [point],
                   stderr=subprocess.DEVNULL)
    try:
        p.wait(timeout=30)
    except subprocess.TimeoutExpired:
        p.kill()
        p.wait()
        subprocess.run(['fusermount', '-u', '-z', point], stderr=subprocess.DEVNULL)


def carte(point, *args):
    try:
        # A run takes milliseconds; only one caught in a loop reaches the bound.
        subprocess.run([CARTE] + list(args), cwd=point, capture_output=True, timeout=60)
    except subprocess.TimeoutExpired:
        carte.bloque.append(' '.join(args))


carte.bloque = []


class Carte:
    """One card image in a scratch folder, and its mount point."""

    def __init__(self, dossier):
        self.dossier = dossier
        self.image = os.path.join(dossier, 'carte.img')
        self.point = os.path.join(dossier, 'm')
        self.compte = os.path.join(dossier, 'compte')
        self.dechire = os.path.join(dossier, 'dechire')
        os.makedirs(self.point, exist_ok=True)

    def neuve(self):
        subprocess.run(['truncate', '-s', '0', self.image], check=True)
        subprocess.run(['truncate', '-s', '16M', self.image], check=True)
        subprocess.run(['mkfs.vfat', self.image], check=True, stdout=subprocess.DEVNULL)

    def sous(self, action, coupure=0, demi=False):
        """Runs action(point) on the mounted card, the power failing at write `coupure`
        (0: never). Returns the number of writes the driver made to the card; self.dechire
        then tells which of them a torn cut would tear (see coupure.c)."""
        env = {'LD_PRELOAD': COUPURE, 'COUPURE_IMAGE': self.image, 'COUPURE_COMPTE': self.compte,
               'COUPURE_A': str(coupure), 'COUPURE_DEMI': '1' if demi else '0',
               'COUPURE_TORN': self.dechire}
        for f in (self.compte, self.dechire):
            if os.path.exists(f):
                os.remove(f)
        p = monte(self.image, self.point, env)
        try:
            action(self.point)
        finally:
            demonte(p, self.point)
        # fusefat cleared the media byte by freeing past a free first cluster (see above);
        # with it cleared, fusefat loops forever on the next such removal.
        if rend_media_si_perdu(self.image):
            verifie.media += 1
        return self.ecrites()

    def ecrites(self):
        """The writes the driver has made to the card since it was mounted."""
        with open(self.compte) if os.path.exists(self.compte) else open(os.devnull) as f:
            return int(f.read() or 0)

    def dechirables(self):
        """The writes of the last run whose torn cut differs from the whole one (from 1)."""
        with open(self.dechire) if os.path.exists(self.dechire) else open(os.devnull) as f:
            return {k + 1 for k, c in enumerate(f.read()) if c == '1'}

    @staticmethod
    def lit(point):
        """The notes folder of the mounted card as {name: bytes}."""
        vu = {}
        d = os.path.join(point, 'dossier')
        for n in os.listdir(d):
            with open(os.path.join(d, n), 'rb') as f:
                vu[n] = f.read()
        return vu

    def demarre(self):
        """The program's start-up on the card, then what the folder holds: the number of
        writes it made and {name: bytes}."""
        vu, m = {}, []

        def action(point):
            carte(point, 'start')
            m.append(self.ecrites())  # reading may write too (access times)
            vu.update(self.lit(point))
        self.sous(action)
        return m[0], vu


def prepare(c):
    c.neuve()

    def pose(point):
        d = os.path.join(point, 'dossier')
        os.mkdir(d)
        for nom, octets in BASE.items():
            with open(os.path.join(d, nom), 'wb') as f:
                f.write(octets)
    c.sous(pose)


def operations(dossier, nom_grand='grand'):
    """(name, the driver's arguments, the note touched, its texts before and after);
    nom_grand names the note of several clusters."""
    nouveau = os.path.join(dossier, 'nouveau')
    grand = os.path.join(dossier, 'grand')
    with open(nouveau, 'wb') as f:
        f.write(TODO + b'x')  # the note opened, "x" typed, saved
    with open(grand, 'wb') as f:
        f.write(GRAND[::-1] + GRAND[:2000])
    return [
        ('save of a note of one cluster', ['save', 'todo', nouveau], 'todo', [TODO, TODO + b'x']),
        ('save of a %snote of several clusters' % ('' if nom_grand == 'grand' else 'long-named '),
         ['save', nom_grand, grand], nom_grand, [GRAND, GRAND[::-1] + GRAND[:2000]]),
        ('create', ['create', 'neuve'], 'neuve', [None, b'']),
        ('delete', ['delete', 'todo'], 'todo', [TODO, None]),
    ]


def verifie(c, vu, note, permis, quoi, echecs):
    """The card after a cut and the start-up (vu: what its folder holds then): the note old
    or new, the rest untouched, nothing of the program's left, and a clean check."""
    attendu = dict(BASE)
    attendu.pop(note, None)
    if vu.get(note) not in permis:
        echecs.append('%s: %s holds %s' % (quoi, note, 'nothing' if note not in vu else '%d other bytes' % len(vu[note])))
    vu.pop(note, None)
    if vu != attendu:
        echecs.append('%s: the folder holds %s' % (quoi, sorted(vu)))
    r = subprocess.run(['fsck.vfat', '-n', c.image], capture_output=True, text=True)
    rc, sortie = r.returncode, r.stdout + r.stderr
    # Clusters still marked used that no entry holds are lost space, not a file's data: the
    # driver removes an entry before it writes the table, and a cut can fall in between.
    reste = [l for l in sortie.strip().splitlines()[1:-1]
             if l.strip() and l != 'Leaving filesystem unchanged.' and not PERDUES.match(l)]
    if reste or (rc != 0 and not PERDUES.search(sortie)):
        echecs.append('%s: fsck.vfat -n: %s' % (quoi, sortie.strip().replace('\n', ' | ')))
    elif rc != 0:
        verifie.perdues += 1


verifie.media = 0
verifie.perdues = 0
PERDUES = re.compile(r'^Reclaimed \d+ unused clusters? \(\d+ bytes\)\.$', re.M)


# The operations' names on the command line, in the order operations() gives them.
PARTIES = ['save', 'save-clusters', 'create', 'delete']


def essai_coupures(dossier, partie=None):
    c = Carte(dossier)
    prepare(c)
    propre = os.path.join(dossier, 'base.img')
    shutil.copy(c.image, propre)
    coupee = os.path.join(dossier, 'coupee.img')
    echecs, points = [], 0
    # The cards already tried, with the kind of cut their start-up gets: two cuts that leave
    # the same card are one case.
    vues = set()

    def essai(nom, *coupure):
        """The start-up (cut at write coupure[0] if given, then run whole), then the check;
        returns the number of writes of the first start-up."""
        bloque = len(carte.bloque)
        if coupure:
            m = c.sous(lambda point: carte(point, 'start'), *coupure)
            vu = c.demarre()[1]
        else:
            m, vu = c.demarre()
        if len(carte.bloque) > bloque:
            echecs.append('%s: the start-up hung' % nom)
        verifie(c, vu, note, permis, nom, echecs)
        return m
    for i, (quoi, args, note, permis) in enumerate(operations(dossier)):
        if partie is not None and PARTIES[i] != partie:
            continue
        shutil.copy(propre, c.image)
        n = c.sous(lambda point: carte(point, *args))
        dechirables = c.dechirables()
        print('%s: %d writes, %d of them torn apart' % (quoi, n, len(dechirables)), end='', flush=True)
        vues.clear()
        avant = points
        for k in range(1, n + 1):
            # A torn cut of a write that lands no whole sector is the whole cut again.
            for demi in (False, True) if k in dechirables else (False,):
                nom = '%s, cut at write %d of %d%s' % (quoi, k, n, ' (torn)' if demi else '')
                shutil.copy(propre, c.image)
                c.sous(lambda point: carte(point, *args), k, demi)
                with open(c.image, 'rb') as f:
                    empreinte = (hashlib.sha1(f.read()).digest(), demi)
                if empreinte in vues:
                    continue
                vues.add(empreinte)
                shutil.copy(c.image, coupee)
                m = essai(nom)
                points += 1
                # The start-up itself cut at each of its writes, then run again, after the
                # whole cuts (the kernel tier cuts it after every state).
                for j in range(1, m + 1 if not demi else 1):
                    shutil.copy(coupee, c.image)
                    essai('%s, start-up cut at write %d of %d' % (nom, j, m), j)
                    points += 1
        print(', %d cut points' % (points - avant), flush=True)
    if carte.bloque:
        echecs.append('%d runs of the notes layer hung on the card' % len(carte.bloque))
    return points, echecs


def essai_renommage_coupe(dossier):
    """The kernel's rename of ".sauve-Ab3xY9" over "todo", cut between its two steps: both
    entries on the chain of clusters that holds the new text."""
    c = Carte(dossier)
    prepare(c)

    def pose(point):
        with open(os.path.join(point, 'dossier', '.sauve-Ab3xY9'), 'wb') as f:
            f.write(b'the old text of the temporary file')
    c.sous(pose)
    img = Fat16(c.image)
    entrees = img.entrees(img.entrees()['dossier'][1])
    temp, todo = entrees['.sauve-Ab3xY9'], entrees['todo']
    for g in img.chaine(temp[1]):
        img.pose(g, 0)
    img.pointe(temp[0], todo[1], todo[2])
    img.ecrit()
    # The program cannot tell which of the two it wrote: both stay, and the note reads whole.
    vu = c.demarre()[1]
    if vu.get('todo') != TODO or '.sauve-Ab3xY9' not in vu:
        return ['a rename cut between its steps: the folder holds %s' % sorted(vu)]
    return []


def essai_tests_dossier(dossier):
    c = Carte(dossier)
    c.neuve()
    env = dict(os.environ, SCRIVELLE_TESTS_DOSSIER=os.path.join(c.point, 'tests'),
               SDL_VIDEODRIVER='dummy', SDL_AUDIODRIVER='dummy')
    sortie = []

    def lance(point):
        os.mkdir(os.path.join(point, 'tests'))
        r = subprocess.run([TESTS, '--gtest_filter=' + TESTS_DOSSIER], env=env, capture_output=True, text=True)
        sortie.append(r)
    c.sous(lance)
    r = sortie[0]
    print(r.stdout.strip().splitlines()[-1] if r.stdout.strip() else '', flush=True)
    return [] if r.returncode == 0 else ['the folder tests on the card:\n' + r.stdout[-4000:]]


def main(partie=None):
    if partie not in [None, 'dossier'] + PARTIES:
        print('usage: test_card.py [dossier | %s]' % ' | '.join(PARTIES))
        return 2
    if not os.path.exists('/dev/fuse'):
        print('test_card: no /dev/fuse on this machine: the card tests do not run here')
        return 77
    debut = time.time()
    echecs, points = [], 0
    base = '/dev/shm' if os.access('/dev/shm', os.W_OK) else None
    with tempfile.TemporaryDirectory(prefix='scrivelle-carte-', dir=base) as d:
        if partie in (None, 'dossier'):
            echecs += essai_tests_dossier(d)
            echecs += essai_renommage_coupe(d)
        if partie != 'dossier':
            points, e = essai_coupures(d, partie)
            echecs += e
    print('power cuts tried: %d; cards left with lost clusters: %d; cleared media bytes put back: %d; %.0f s'
          % (points, verifie.perdues, verifie.media, time.time() - debut))
    for e in echecs[:40]:
        print('FAIL', e)
    if len(echecs) > 40:
        print('... and %d more' % (len(echecs) - 40))
    return 1 if echecs else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:2]))
