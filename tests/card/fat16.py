"""Reads and edits a FAT16 card image directly: the boot sector's layout, the two tables and
the entries of a folder, enough to make states that no driver makes on purpose."""
import struct


class Fat16:
    def __init__(self, chemin):
        self.chemin = chemin
        with open(chemin, 'rb') as f:
            self.octets = bytearray(f.read())
        b = self.octets
        self.secteur = struct.unpack_from('<H', b, 11)[0]
        self.grappe = b[13] * self.secteur
        reserves = struct.unpack_from('<H', b, 14)[0]
        self.nb_tables = b[16]
        entrees_racine = struct.unpack_from('<H', b, 17)[0]
        self.table_taille = struct.unpack_from('<H', b, 22)[0] * self.secteur
        self.table = reserves * self.secteur
        self.racine = self.table + self.nb_tables * self.table_taille
        self.racine_taille = entrees_racine * 32
        self.donnees = self.racine + self.racine_taille

    def ecrit(self):
        with open(self.chemin, 'wb') as f:
            f.write(self.octets)

    def suivante(self, grappe, table=0):
        return struct.unpack_from('<H', self.octets, self.table + table * self.table_taille + 2 * grappe)[0]

    def pose(self, grappe, valeur):
        for t in range(self.nb_tables):
            struct.pack_into('<H', self.octets, self.table + t * self.table_taille + 2 * grappe, valeur)

    def chaine(self, debut):
        grappes = []
        while 2 <= debut < 0xfff8 and len(grappes) < 65536:
            grappes.append(debut)
            debut = self.suivante(debut)
        return grappes

    def _zones(self, debut):
        """Byte ranges of a folder: the root's fixed area, or a chain of clusters."""
        if debut == 0:
            return [(self.racine, self.racine_taille)]
        return [(self.donnees + (g - 2) * self.grappe, self.grappe) for g in self.chaine(debut)]

    def entrees(self, debut=0):
        """Entries of a folder as {long name: (offset of the short entry, first cluster, size)}."""
        vues, morceaux = {}, []
        for zone, taille in self._zones(debut):
            for o in range(zone, zone + taille, 32):
                e = self.octets[o:o + 32]
                if e[0] == 0:
                    return vues
                if e[0] == 0xe5:
                    morceaux = []
                    continue
                if e[11] == 0x0f:
                    part = e[1:11] + e[14:26] + e[28:32]
                    morceaux.insert(0, part.decode('utf-16-le', 'replace'))
                    continue
                nom = ''.join(morceaux).split('\x00')[0] if morceaux else \
                    (e[0:8].decode('latin-1').rstrip() + ('.' + e[8:11].decode('latin-1').rstrip()
                                                          if e[8:11].strip() else '')).lower()
                morceaux = []
                vues[nom] = (o, struct.unpack_from('<H', e, 26)[0], struct.unpack_from('<I', e, 28)[0])
        return vues

    def pointe(self, decalage, grappe, taille):
        struct.pack_into('<H', self.octets, decalage + 26, grappe)
        struct.pack_into('<I', self.octets, decalage + 28, taille)



def rend_media_si_perdu(chemin):
    """Puts back a cleared media byte (see test_card.py) by reading and writing only the
    tables' first entries: the whole card is too much to read after every mount. True when
    it was cleared."""
    with open(chemin, 'r+b') as f:
        b = f.read(512)
        secteur = struct.unpack_from('<H', b, 11)[0]
        table = struct.unpack_from('<H', b, 14)[0] * secteur
        taille = struct.unpack_from('<H', b, 22)[0] * secteur
        f.seek(table)
        if struct.unpack('<H', f.read(2))[0] != 0:
            return False
        for t in range(b[16]):
            f.seek(table + t * taille)
            f.write(struct.pack('<H', 0xff00 | b[21]))
        return True
