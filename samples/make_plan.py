#!/usr/bin/python3
"""Writes samples/plan.dxf: the ground floor of a small plant building, in centimetres.

Walls are closed polylines on WALLS, rooms are named by multi-line texts with their areas,
doors and windows are block references with the attributes NUMBER, WIDTH, HEIGHT and
FIRE_RATING, the plant room holds equipment blocks whose attributes differ from block to
block, pipes run as lines and arcs on PIPES, dimension lines carry their measures as texts,
and a title block sits under the plan. A table style scaled to the plan makes an extracted
table read beside the plan (its columns are fitted to at most 65 units, so its texts are a
few centimetres high). Attribute values are in millimetres. The output is an R2013 ASCII drawing; the same script always
writes the same bytes.

    /usr/bin/python3 samples/make_plan.py [OUTPUT]     (default: samples/plan.dxf)
"""
import math
import sys

# Handles of the fixed records; entities take handles from FIRST_ENTITY on.
LTYPE_TABLE, LAYER_TABLE, STYLE_TABLE, APPID_TABLE, BLOCK_RECORD_TABLE = 0x5, 0x2, 0x3, 0x9, 0x1
ROOT_DICT, GROUP_DICT, TABLESTYLE_DICT, TABLESTYLE = 0xC, 0xD, 0xE, 0xF
MODEL_RECORD, PAPER_RECORD, MODEL_BLOCK, MODEL_END, PAPER_BLOCK, PAPER_END = 0x1F, 0x1B, 0x20, 0x21, 0x1C, 0x1D
FIRST_BLOCK_HANDLE, FIRST_ENTITY = 0x40, 0x200

LAYERS = [("0", 7), ("WALLS", 7), ("DOORS", 3), ("WINDOWS", 5), ("EQUIPMENT", 6), ("PIPES", 1),
          ("ROOMS", 2), ("DIMENSIONS", 8), ("TITLE", 7)]
TEXT_HEIGHT = 250.0
# The plan is laid out in millimetres and drawn in centimetres, the drawing's unit.
CM_PER_MM = 0.1


def mm(length):
    return float(length) * CM_PER_MM


class Dxf:
    def __init__(self):
        self.lines = []
        self.next_handle = FIRST_ENTITY

    def pair(self, code, value):
        if isinstance(value, float):
            value = ("%.6f" % value).rstrip("0").rstrip(".") or "0"
            if value == "-0":
                value = "0"
        self.lines.append("%3d" % code)
        self.lines.append(str(value))

    def handle(self):
        h = self.next_handle
        self.next_handle += 1
        return h

    def text(self):
        return "\n".join(self.lines) + "\n"


class Entities:
    """Entities of one owner (model space or a block), each with its own handle."""

    def __init__(self, dxf, owner):
        self.dxf, self.owner = dxf, owner

    def head(self, kind, layer, owner=None):
        d = self.dxf
        h = d.handle()
        d.pair(0, kind), d.pair(5, "%X" % h), d.pair(330, "%X" % (owner or self.owner))
        d.pair(100, "AcDbEntity"), d.pair(8, layer)
        return h

    def line(self, layer, a, b):
        d = self.dxf
        self.head("LINE", layer)
        d.pair(100, "AcDbLine")
        d.pair(10, mm(a[0])), d.pair(20, mm(a[1])), d.pair(30, 0.0)
        d.pair(11, mm(b[0])), d.pair(21, mm(b[1])), d.pair(31, 0.0)

    def arc(self, layer, centre, radius, start, end):
        d = self.dxf
        self.head("ARC", layer)
        d.pair(100, "AcDbCircle"), d.pair(10, mm(centre[0])), d.pair(20, mm(centre[1])), d.pair(30, 0.0)
        d.pair(40, mm(radius)), d.pair(100, "AcDbArc"), d.pair(50, float(start)), d.pair(51, float(end))

    def circle(self, layer, centre, radius):
        d = self.dxf
        self.head("CIRCLE", layer)
        d.pair(100, "AcDbCircle"), d.pair(10, mm(centre[0])), d.pair(20, mm(centre[1])), d.pair(30, 0.0)
        d.pair(40, mm(radius))

    def polyline(self, layer, points, closed=True):
        d = self.dxf
        self.head("LWPOLYLINE", layer)
        d.pair(100, "AcDbPolyline"), d.pair(90, len(points)), d.pair(70, 1 if closed else 0), d.pair(43, 0.0)
        for x, y in points:
            d.pair(10, mm(x)), d.pair(20, mm(y))

    def rectangle(self, layer, x0, y0, x1, y1):
        self.polyline(layer, [(x0, y0), (x1, y0), (x1, y1), (x0, y1)])

    def mtext(self, layer, at, lines, height=TEXT_HEIGHT):
        d = self.dxf
        self.head("MTEXT", layer)
        d.pair(100, "AcDbMText"), d.pair(10, mm(at[0])), d.pair(20, mm(at[1])), d.pair(30, 0.0)
        d.pair(40, mm(height)), d.pair(41, 0.0), d.pair(71, 5), d.pair(72, 5)
        d.pair(1, "\\P".join(lines)), d.pair(7, "Standard")

    def text(self, layer, at, value, height=TEXT_HEIGHT, rotation=0.0, centred=True):
        d = self.dxf
        self.head("TEXT", layer)
        d.pair(100, "AcDbText"), d.pair(10, mm(at[0])), d.pair(20, mm(at[1])), d.pair(30, 0.0)
        d.pair(40, mm(height)), d.pair(1, value)
        if rotation:
            d.pair(50, float(rotation))
        if centred:
            d.pair(72, 1), d.pair(11, mm(at[0])), d.pair(21, mm(at[1])), d.pair(31, 0.0)
        d.pair(100, "AcDbText")

    def attdef(self, tag, prompt, default, at, invisible):
        d = self.dxf
        self.head("ATTDEF", "0")
        d.pair(100, "AcDbText"), d.pair(10, mm(at[0])), d.pair(20, mm(at[1])), d.pair(30, 0.0)
        d.pair(40, mm(200)), d.pair(1, default)
        d.pair(100, "AcDbAttributeDefinition"), d.pair(3, prompt), d.pair(2, tag), d.pair(70, 1 if invisible else 0)

    def insert(self, layer, block, at, values, scale=(1.0, 1.0), rotation=0.0):
        """A block reference with its attributes: (tag, value, visible) in the block's order."""
        d = self.dxf
        h = self.head("INSERT", layer)
        d.pair(100, "AcDbBlockReference"), d.pair(66, 1), d.pair(2, block)
        d.pair(10, mm(at[0])), d.pair(20, mm(at[1])), d.pair(30, 0.0)
        if scale != (1.0, 1.0):
            d.pair(41, float(scale[0])), d.pair(42, float(scale[1])), d.pair(43, 1.0)
        if rotation:
            d.pair(50, float(rotation))
        for i, (tag, value, visible) in enumerate(values):
            self.head("ATTRIB", layer, owner=h)
            # Visible attributes stand beside the symbol, one under the other.
            d.pair(100, "AcDbText"), d.pair(10, mm(at[0] + 150)), d.pair(20, mm(at[1] - 350 - 260 * i))
            d.pair(30, 0.0), d.pair(40, mm(200)), d.pair(1, value)
            d.pair(100, "AcDbAttribute"), d.pair(2, tag), d.pair(70, 0 if visible else 1)
        d.pair(0, "SEQEND"), d.pair(5, "%X" % d.handle()), d.pair(330, "%X" % h)
        d.pair(100, "AcDbEntity"), d.pair(8, layer)


# The blocks: name -> (geometry drawer, attribute definitions (tag, prompt, default, visible)).
OPENING_TAGS = [("NUMBER", "Number", "", True), ("WIDTH", "Width (mm)", "900", False),
                ("HEIGHT", "Height (mm)", "2100", False), ("FIRE_RATING", "Fire rating", "-", False)]


def draw_door(e):
    # A leaf of 1000 standing on the hinge and its swing; references scale it to their width.
    e.line("0", (0, 0), (0, 1000))
    e.arc("0", (0, 0), 1000, 0, 90)


def draw_window(e):
    # Frame and glass across a 250 wall, 1000 long; references stretch it to their width.
    for y in (0, 100, 150, 250):
        e.line("0", (0, y), (1000, y))
    e.line("0", (0, 0), (0, 250))
    e.line("0", (1000, 0), (1000, 250))


def draw_pump(e):
    e.circle("0", (0, 0), 300)
    e.line("0", (-300, 0), (0, 300))
    e.line("0", (0, 300), (300, 0))


def draw_boiler(e):
    e.rectangle("0", -600, -450, 600, 450)
    e.circle("0", (0, 0), 250)


def draw_tank(e):
    e.circle("0", (0, 0), 700)
    e.circle("0", (0, 0), 650)


BLOCKS = {
    "DOOR": (draw_door, OPENING_TAGS),
    "WINDOW": (draw_window, OPENING_TAGS),
    "PUMP": (draw_pump, [("TAG", "Tag", "P-", True), ("MODEL", "Model", "", False),
                         ("FLOW_M3H", "Flow (m3/h)", "0", False), ("POWER_KW", "Power (kW)", "0", False),
                         ("SPEED", "Speed control", "fixed", False)]),
    "BOILER": (draw_boiler, [("TAG", "Tag", "B-", True), ("MODEL", "Model", "", False),
                             ("POWER_KW", "Power (kW)", "0", False), ("FUEL", "Fuel", "gas", False)]),
    "TANK": (draw_tank, [("TAG", "Tag", "T-", True), ("VOLUME_L", "Volume (l)", "0", False),
                         ("MATERIAL", "Material", "steel", False)]),
}

# Doors: number, hinge point, width, height, fire rating, how the leaf turns (rotation, and
# whether the swing is mirrored so that it opens into the room below the wall).
DOORS = [
    ("D01", (2000, 6100), 900, 2100, "-", 0),
    ("D02", (8000, 6100), 900, 2100, "-", 0),
    ("D03", (14500, 6100), 1000, 2100, "EI30", 0),
    ("D04", (2800, 4500), 1800, 2400, "EI60", 180),
    ("D05", (11000, 4500), 1000, 2100, "EI30", 180),
    ("D06", (16800, 4500), 800, 2100, "-", 180),
    ("D07", (250, 5800), 1000, 2400, "-", 270),
]

# Windows: number, insertion point, width, height, fire rating, rotation.
WINDOWS = [
    ("W01", (2250, 11750), 1500, 1500, "-", 0),
    ("W02", (8250, 11750), 1500, 1500, "-", 0),
    ("W03", (13500, 11750), 2400, 1500, "-", 0),
    ("W04", (16500, 11750), 2400, 1500, "-", 0),
    ("W05", (20000, 8000), 1500, 1500, "-", 90),
    ("W06", (2500, 0), 1200, 900, "E30", 0),
    ("W07", (10500, 0), 1200, 900, "-", 0),
    ("W08", (17000, 0), 600, 600, "-", 0),
]

# Rooms: the lines of the label, the inner rectangle, and where the label stands when not in
# the middle. The area follows on a line of its own, or on the name's line when the lines end
# with None.
ROOMS = [
    (["OFFICE 1"], (250, 6100, 6000, 11750), None),
    (["OFFICE 2"], (6100, 6100, 12000, 11750), None),
    (["MEETING", "ROOM"], (12100, 6100, 19750, 11750), None),
    (["CORRIDOR", None], (250, 4600, 19750, 6000), (4000, 5300)),
    (["PLANT ROOM"], (250, 250, 8000, 4500), (5000, 3950)),
    (["STORES"], (8100, 250, 14000, 4500), None),
    (["WC", None], (14100, 250, 19750, 4500), None),
]


def wall_with_openings(e, x0, x1, y0, y1, openings):
    """A horizontal wall from x0 to x1, cut where doors stand: (start, width) pairs."""
    x = x0
    for start, width in sorted(openings):
        if start > x:
            e.rectangle("WALLS", x, y0, start, y1)
        x = start + width
    if x < x1:
        e.rectangle("WALLS", x, y0, x1, y1)


def door_opening(door):
    number, (x, y), width, height, rating, rotation = door
    return (x - width, width) if rotation == 180 else (x, width)


def draw_walls(e):
    e.rectangle("WALLS", 0, 0, 20000, 12000)
    e.rectangle("WALLS", 250, 250, 19750, 11750)
    upper = [door_opening(d) for d in DOORS if d[1][1] == 6100]
    lower = [door_opening(d) for d in DOORS if d[1][1] == 4500]
    wall_with_openings(e, 250, 19750, 6000, 6100, upper)
    wall_with_openings(e, 250, 19750, 4500, 4600, lower)
    for x in (6000, 12000):
        e.rectangle("WALLS", x, 6100, x + 100, 11750)
    for x in (8000, 14000):
        e.rectangle("WALLS", x, 250, x + 100, 4500)


def draw_rooms(e):
    for lines, (x0, y0, x1, y1), at in ROOMS:
        area = "%.1f m\u00B2" % ((x1 - x0) * (y1 - y0) / 1e6)
        label = [lines[0] + "  " + area] if lines[-1] is None else lines + [area]
        e.mtext("ROOMS", at or ((x0 + x1) / 2, (y0 + y1) / 2), label)


def opening_values(number, width, height, rating):
    return [("NUMBER", number, True), ("WIDTH", str(width), False), ("HEIGHT", str(height), False),
            ("FIRE_RATING", rating, False)]


def draw_openings(e):
    for number, at, width, height, rating, rotation in DOORS:
        s = width / 1000.0
        e.insert("DOORS", "DOOR", at, opening_values(number, width, height, rating), (s, s), rotation)
    for number, at, width, height, rating, rotation in WINDOWS:
        e.insert("WINDOWS", "WINDOW", at, opening_values(number, width, height, rating), (width / 1000.0, 1.0),
                 rotation)


def draw_equipment(e):
    e.insert("EQUIPMENT", "BOILER", (1500, 1800),
             [("TAG", "B-1", True), ("MODEL", "CW-120", False), ("POWER_KW", "120", False), ("FUEL", "gas", False)])
    for tag, y, speed in (("P-1", 3200, "variable"), ("P-2", 800, "fixed")):
        e.insert("EQUIPMENT", "PUMP", (4000, y),
                 [("TAG", tag, True), ("MODEL", "CP 40-120", False), ("FLOW_M3H", "6.5", False),
                  ("POWER_KW", "0.75", False), ("SPEED", speed, False)])
    e.insert("EQUIPMENT", "TANK", (6500, 2200),
             [("TAG", "T-1", True), ("VOLUME_L", "500", False), ("MATERIAL", "steel", False)])


def pipe_run(e, points, radius=200):
    """A pipe through right-angled corners, each corner rounded by an arc."""
    ends = [points[0]]
    for a, b, c in zip(points, points[1:], points[2:]):
        din = ((b[0] - a[0]) / math.dist(a, b), (b[1] - a[1]) / math.dist(a, b))
        dout = ((c[0] - b[0]) / math.dist(b, c), (c[1] - b[1]) / math.dist(b, c))
        p = (b[0] - din[0] * radius, b[1] - din[1] * radius)
        q = (b[0] + dout[0] * radius, b[1] + dout[1] * radius)
        e.line("PIPES", ends[-1], p)
        centre = (p[0] + dout[0] * radius, p[1] + dout[1] * radius)
        start = math.degrees(math.atan2(p[1] - centre[1], p[0] - centre[0])) % 360
        end = math.degrees(math.atan2(q[1] - centre[1], q[0] - centre[0])) % 360
        turn_left = din[0] * dout[1] - din[1] * dout[0] > 0
        e.arc("PIPES", centre, radius, start if turn_left else end, end if turn_left else start)
        ends.append(q)
    e.line("PIPES", ends[-1], points[-1])


def draw_pipes(e):
    # Flow from the boiler through the pumps to the tank, and out along the corridor.
    pipe_run(e, [(2100, 2100), (3000, 2100), (3000, 3200), (3700, 3200)])
    pipe_run(e, [(2100, 1500), (3000, 1500), (3000, 800), (3700, 800)])
    pipe_run(e, [(4300, 3200), (5200, 3200), (5200, 2400), (5830, 2400)])
    pipe_run(e, [(4300, 800), (5200, 800), (5200, 2000), (5830, 2000)])
    pipe_run(e, [(6500, 2900), (6500, 5100), (18500, 5100), (18500, 7000)])
    pipe_run(e, [(6700, 2900), (6700, 5400), (9000, 5400), (9000, 7000)])


def dimension(e, a, b, offset_dir, label):
    """A dimension line from a to b with end ticks and its measure as a text."""
    e.line("DIMENSIONS", a, b)
    for p in (a, b):
        e.line("DIMENSIONS", (p[0] - 120, p[1] - 120), (p[0] + 120, p[1] + 120))
    mid = ((a[0] + b[0]) / 2 + offset_dir[0], (a[1] + b[1]) / 2 + offset_dir[1])
    rotation = 90.0 if a[0] == b[0] else 0.0
    e.text("DIMENSIONS", mid, label, 200.0, rotation)


def draw_dimensions(e):
    dimension(e, (0, 12900), (20000, 12900), (0, 150), "20000")
    dimension(e, (20600, 0), (20600, 12000), (-200, 0), "12000")
    for x0, x1 in ((0, 8000), (8000, 14000), (14000, 20000)):
        dimension(e, (x0, -600), (x1, -600), (0, -350), str(x1 - x0))
    for x0, x1 in ((0, 6000), (6000, 12000), (12000, 20000)):
        dimension(e, (x0, 12300), (x1, 12300), (0, 150), str(x1 - x0))


def draw_title_block(e):
    x0, y0, x1, y1 = 10000, -4600, 20000, -1400
    e.rectangle("TITLE", x0, y0, x1, y1)
    for y in (-2400, -3400):
        e.line("TITLE", (x0, y), (x1, y))
    e.line("TITLE", (16000, y0), (16000, -2400))
    e.text("TITLE", (15000, -1900), "PLANT BUILDING - GROUND FLOOR PLAN", 350.0)
    e.text("TITLE", (13000, -2900), "Drawing A-101   Scale 1:100", 220.0)
    e.text("TITLE", (13000, -4000), "Dimensions in mm   Drawn QX   2026-12-06", 220.0)
    e.text("TITLE", (18000, -2900), "Sheet 1 of 1", 220.0)
    e.text("TITLE", (18000, -4000), "Rev B", 220.0)


def write_header(d, handseed):
    d.pair(0, "SECTION"), d.pair(2, "HEADER")
    d.pair(9, "$ACADVER"), d.pair(1, "AC1027")
    d.pair(9, "$DWGCODEPAGE"), d.pair(3, "ANSI_1252")
    d.pair(9, "$HANDSEED"), d.pair(5, "%X" % handseed)
    d.pair(9, "$INSUNITS"), d.pair(70, 5)
    d.pair(9, "$LUPREC"), d.pair(70, 0)
    d.pair(9, "$EXTMIN"), d.pair(10, mm(-1000)), d.pair(20, mm(-5000)), d.pair(30, 0.0)
    d.pair(9, "$EXTMAX"), d.pair(10, mm(26000)), d.pair(20, mm(13500)), d.pair(30, 0.0)
    d.pair(9, "$UCSORG"), d.pair(10, 0.0), d.pair(20, 0.0), d.pair(30, 0.0)
    d.pair(9, "$UCSXDIR"), d.pair(10, 1.0), d.pair(20, 0.0), d.pair(30, 0.0)
    d.pair(9, "$UCSYDIR"), d.pair(10, 0.0), d.pair(20, 1.0), d.pair(30, 0.0)
    d.pair(0, "ENDSEC")
    d.pair(0, "SECTION"), d.pair(2, "CLASSES")
    d.pair(0, "CLASS"), d.pair(1, "TABLESTYLE"), d.pair(2, "AcDbTableStyle"), d.pair(3, "ObjectDBX Classes")
    d.pair(90, 4095), d.pair(91, 0), d.pair(280, 0), d.pair(281, 0)
    d.pair(0, "ENDSEC")


def table_head(d, name, h, count):
    d.pair(0, "TABLE"), d.pair(2, name), d.pair(5, "%X" % h), d.pair(330, "0")
    d.pair(100, "AcDbSymbolTable"), d.pair(70, count)


def entry_head(d, kind, h, table, subclass):
    d.pair(0, kind), d.pair(5, "%X" % h), d.pair(330, "%X" % table)
    d.pair(100, "AcDbSymbolTableRecord"), d.pair(100, subclass)


def write_tables(d, block_records):
    d.pair(0, "SECTION"), d.pair(2, "TABLES")
    table_head(d, "LTYPE", LTYPE_TABLE, 3)
    for h, name in ((0x14, "ByBlock"), (0x15, "ByLayer"), (0x16, "Continuous")):
        entry_head(d, "LTYPE", h, LTYPE_TABLE, "AcDbLinetypeTableRecord")
        d.pair(2, name), d.pair(70, 0), d.pair(3, ""), d.pair(72, 65), d.pair(73, 0), d.pair(40, 0.0)
    d.pair(0, "ENDTAB")
    table_head(d, "LAYER", LAYER_TABLE, len(LAYERS))
    for i, (name, colour) in enumerate(LAYERS):
        entry_head(d, "LAYER", 0x100 + i, LAYER_TABLE, "AcDbLayerTableRecord")
        d.pair(2, name), d.pair(70, 0), d.pair(62, colour), d.pair(6, "Continuous")
    d.pair(0, "ENDTAB")
    table_head(d, "STYLE", STYLE_TABLE, 1)
    entry_head(d, "STYLE", 0x12, STYLE_TABLE, "AcDbTextStyleTableRecord")
    d.pair(2, "Standard"), d.pair(70, 0), d.pair(40, 0.0), d.pair(41, 1.0), d.pair(50, 0.0), d.pair(71, 0)
    d.pair(42, 2.5), d.pair(3, "txt"), d.pair(4, "")
    d.pair(0, "ENDTAB")
    table_head(d, "APPID", APPID_TABLE, 1)
    entry_head(d, "APPID", 0x17, APPID_TABLE, "AcDbRegAppTableRecord")
    d.pair(2, "ACAD"), d.pair(70, 0)
    d.pair(0, "ENDTAB")
    table_head(d, "BLOCK_RECORD", BLOCK_RECORD_TABLE, len(block_records))
    for name, h in block_records:
        entry_head(d, "BLOCK_RECORD", h, BLOCK_RECORD_TABLE, "AcDbBlockTableRecord")
        d.pair(2, name), d.pair(340, "0"), d.pair(70, 0), d.pair(280, 1), d.pair(281, 0)
    d.pair(0, "ENDTAB")
    d.pair(0, "ENDSEC")


def write_blocks(d, block_records):
    d.pair(0, "SECTION"), d.pair(2, "BLOCKS")
    ends = {"*Model_Space": (MODEL_BLOCK, MODEL_END), "*Paper_Space": (PAPER_BLOCK, PAPER_END)}
    for name, record in block_records:
        flags = 2 if name in BLOCKS else 0
        begin = ends[name][0] if name in ends else d.handle()
        d.pair(0, "BLOCK"), d.pair(5, "%X" % begin), d.pair(330, "%X" % record), d.pair(100, "AcDbEntity")
        d.pair(8, "0"), d.pair(100, "AcDbBlockBegin"), d.pair(2, name), d.pair(70, flags)
        d.pair(10, 0.0), d.pair(20, 0.0), d.pair(30, 0.0), d.pair(3, name), d.pair(1, "")
        if name in BLOCKS:
            e = Entities(d, record)
            draw, tags = BLOCKS[name]
            draw(e)
            for i, (tag, prompt, default, visible) in enumerate(tags):
                e.attdef(tag, prompt, default, (150, -350 - 260 * i), not visible)
        end = ends[name][1] if name in ends else d.handle()
        d.pair(0, "ENDBLK"), d.pair(5, "%X" % end), d.pair(330, "%X" % record), d.pair(100, "AcDbEntity")
        d.pair(8, "0"), d.pair(100, "AcDbBlockEnd")
    d.pair(0, "ENDSEC")


def write_objects(d):
    """The root dictionary, groups, and the table style "Standard" sized for a 1:100 plan."""
    d.pair(0, "SECTION"), d.pair(2, "OBJECTS")
    d.pair(0, "DICTIONARY"), d.pair(5, "%X" % ROOT_DICT), d.pair(330, "0"), d.pair(100, "AcDbDictionary")
    d.pair(281, 1), d.pair(3, "ACAD_GROUP"), d.pair(350, "%X" % GROUP_DICT)
    d.pair(3, "ACAD_TABLESTYLE"), d.pair(350, "%X" % TABLESTYLE_DICT)
    d.pair(0, "DICTIONARY"), d.pair(5, "%X" % GROUP_DICT), d.pair(330, "%X" % ROOT_DICT)
    d.pair(100, "AcDbDictionary"), d.pair(281, 1)
    d.pair(0, "DICTIONARY"), d.pair(5, "%X" % TABLESTYLE_DICT), d.pair(330, "%X" % ROOT_DICT)
    d.pair(100, "AcDbDictionary"), d.pair(281, 1), d.pair(3, "Standard"), d.pair(350, "%X" % TABLESTYLE)
    d.pair(0, "TABLESTYLE"), d.pair(5, "%X" % TABLESTYLE), d.pair(330, "%X" % TABLESTYLE_DICT)
    d.pair(100, "AcDbTableStyle"), d.pair(3, "Standard"), d.pair(70, 0), d.pair(71, 0)
    d.pair(40, 1.5), d.pair(41, 1.5), d.pair(280, 0), d.pair(281, 0)
    # Data, title and header rows: the text height of each, then its colours and borders.
    for height, alignment in ((6.0, 2), (8.0, 5), (6.0, 5)):
        d.pair(7, "Standard"), d.pair(140, height), d.pair(170, alignment), d.pair(62, 0), d.pair(63, 257)
        d.pair(283, 0), d.pair(90, 4), d.pair(91, 0), d.pair(1, "")
        for code in range(274, 280):
            d.pair(code, -2), d.pair(code + 10, 1), d.pair(code - 210, 0)
    d.pair(0, "ENDSEC")


def drawing():
    d = Dxf()
    names = ["*Model_Space", "*Paper_Space"] + list(BLOCKS)
    block_records = [(name, {"*Model_Space": MODEL_RECORD, "*Paper_Space": PAPER_RECORD}.get(name, FIRST_BLOCK_HANDLE + i))
                     for i, name in enumerate(names)]
    # Sections are written apart and joined, so that the header can name the next free handle.
    tables = Dxf()
    write_tables(tables, block_records)
    blocks = Dxf()
    blocks.next_handle = 0x60
    write_blocks(blocks, block_records)
    body = Dxf()
    body.pair(0, "SECTION"), body.pair(2, "ENTITIES")
    e = Entities(body, MODEL_RECORD)
    for draw in (draw_walls, draw_rooms, draw_openings, draw_equipment, draw_pipes, draw_dimensions,
                 draw_title_block):
        draw(e)
    body.pair(0, "ENDSEC")
    write_objects(body)
    body.pair(0, "EOF")
    assert blocks.next_handle < FIRST_ENTITY, "block entities would reach the model-space handles"
    header = Dxf()
    write_header(header, body.next_handle)
    return header.text() + tables.text() + blocks.text() + body.text()


if __name__ == "__main__":
    output = sys.argv[1] if len(sys.argv) > 1 else "samples/plan.dxf"
    with open(output, "w", encoding="utf-8", newline="\n") as f:
        f.write(drawing())
