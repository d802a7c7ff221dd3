#!/usr/bin/env python3
"""Writes the table-store fixtures from the byte tables of doc/table_format.md, without any
of the engine's code: the sites table with two rows, and one damaged data file for each check
made when a table is opened. Run it from this folder; the files it writes are committed."""
import datetime
import struct

HEADER = 127
DESCRIPTOR = 768


def short_text(text, capacity):
    raw = text.encode()
    return bytes([len(raw)]) + raw + bytes(capacity - len(raw))


def header(counter=1, version=4, free=0, next_number=1, last_id=0, record_size=0,
           columns=0, blobs=0, time=0.0, enciphered=0, language=0, changed=1):
    b = struct.pack('<iIBIIiHHHd', counter, 0, version, free, next_number, last_id,
                    record_size, columns, blobs, time)
    b += short_text('', 50) + bytes([enciphered]) + short_text('', 15)
    b += struct.pack('<HHHHBiq', language, 0, 1, 0, changed, 0, 20800) + bytes(3)
    assert len(b) == HEADER
    return b


def descriptor(number, name, type_, subtype=0, size=0, width=0, offset=0, decimals=0,
               minimum='', name_length=None, computed=0):
    b = struct.pack('<H', number) + short_text(name, 30)
    if name_length is not None:
        b = b[:2] + bytes([name_length]) + b[3:]
    b += short_text('', 50)
    b += bytes([type_, subtype, size, decimals, width, decimals])
    b += struct.pack('<H', offset) + bytes([0, 0])
    b += short_text(minimum, 50) + short_text('', 50) + short_text('', 50)
    b += bytes([computed]) + bytes(4) + bytes([0]) + bytes(515)
    assert len(b) == DESCRIPTOR
    return b


def record(number, record_id, fields, status=0):
    return bytes([status]) + struct.pack('<Ii', number, record_id) + b''.join(fields)


def text(value, width):
    raw = value.rstrip(' ').encode()
    return bytes([1 if raw else 0]) + raw + bytes(width - len(raw))


def int32(value):
    return b'\x01' + struct.pack('<i', value)


def boolean(value):
    return b'\x01' + struct.pack('<H', 1 if value else 0)


# 2026-12-10 12:00 local time as a day count, less the header's delta.
WRITE_TIME = (datetime.date(2026, 12, 10) - datetime.date(1899, 12, 30)).days + 0.5 - 693594.0


def sites_two_rows():
    columns = [
        descriptor(1, 'ID', 6, subtype=29, width=4, offset=5),
        descriptor(2, 'Name', 1, size=10, width=11, offset=9),
        descriptor(3, 'URL', 1, size=250, width=251, offset=21),
        descriptor(4, 'Update', 6, width=4, offset=273),
        descriptor(5, 'Active', 4, width=2, offset=278),
    ]
    rows = [
        record(1, 1, [text('Example', 11), text('http://example.com/rss.xml', 251),
                      int32(60), boolean(True)]),
        record(2, 2, [text('', 11), text('http://news.example.org/feed', 251),
                      int32(30), boolean(False)]),
    ]
    assert all(len(r) == 281 for r in rows)
    head = header(counter=3, next_number=3, last_id=2, record_size=281, columns=5,
                  time=WRITE_TIME)
    return head + b''.join(columns) + b''.join(rows)


# The small table the damaged files start from: N (32-bit integer), T (text of 3), three
# records of 19 bytes, the second one deleted and heading the free chain.
def small_rows():
    return [record(1, 1, [int32(7), text('abc', 4)]),
            record(0, 2, [int32(8), text('de', 4)], status=1),
            record(3, 3, [int32(9), text('f', 4)])]


def small_table(head=None, columns=None, rows=None, **fields):
    base = dict(counter=5, free=2, next_number=4, last_id=3, record_size=19, columns=2)
    base.update(fields)
    if columns is None:
        columns = [descriptor(1, 'N', 6, width=4, offset=9),
                   descriptor(2, 'T', 1, size=3, width=4, offset=14)]
    if rows is None:
        rows = small_rows()
    return (head or header(**base)) + b''.join(columns) + b''.join(rows)


def corrupt_files():
    good = small_table()
    n = lambda **kw: descriptor(1, 'N', 6, **{'width': 4, 'offset': 9, **kw})
    t = lambda **kw: descriptor(2, 'T', 1, **{'size': 3, 'width': 4, 'offset': 14, **kw})
    return {
        'version-3': small_table(version=3),
        'language-unknown': small_table(language=0xFFFF),
        'enciphered': small_table(enciphered=1),
        'shorter-than-header': good[:100],
        'no-columns': small_table(columns=[], rows=[], record_size=19, next_number=1, free=0),
        'descriptors-past-end': small_table(rows=[], next_number=1, free=0)[:HEADER + DESCRIPTOR
                                                                            + 10],
        'blob-count-above-columns': small_table(blobs=3),
        # The file holds whole records of the size the header gives; the columns need 19.
        'record-size-wrong': small_table(record_size=20, rows=[r + b'\0' for r in small_rows()]),
        'length-not-whole-records': good + b'\x00',
        'next-number-wrong': small_table(next_number=5),
        'free-head-past-end': small_table(free=4),
        'field-number-wrong': small_table(columns=[n(), descriptor(3, 'T', 1, size=3, width=4,
                                                                   offset=14)]),
        'name-empty': small_table(columns=[n(), descriptor(2, '', 1, size=3, width=4,
                                                           offset=14)]),
        'name-starts-with-digit': small_table(columns=[n(), descriptor(2, '9T', 1, size=3,
                                                                       width=4, offset=14)]),
        'name-length-past-room': small_table(columns=[n(), descriptor(2, 'T', 1, size=3, width=4,
                                                                      offset=14,
                                                                      name_length=31)]),
        'names-repeated': small_table(columns=[n(), descriptor(2, 'n', 1, size=3, width=4,
                                                               offset=14)]),
        'type-zero': small_table(columns=[n(), descriptor(2, 'T', 0, size=0, width=4,
                                                          offset=14)]),
        'text-size-zero': small_table(columns=[n(), t(size=0)]),
        'text-size-251': small_table(columns=[n(), t(size=251)]),
        'integer-with-size': small_table(columns=[n(size=4), t()]),
        'width-wrong': small_table(columns=[n(width=5), t()]),
        'decimals-not-bcd': small_table(columns=[n(decimals=2), t()]),
        'offset-gap': small_table(columns=[n(), t(offset=15)]),
        'autoinc-not-at-5': small_table(columns=[descriptor(1, 'N', 6, subtype=29, width=4,
                                                            offset=9), t(offset=9)],
                                        rows=[record(i, i, [text('x', 4)]) for i in (1, 2, 3)],
                                        record_size=14, free=0),
        'minimum-not-a-number': small_table(columns=[n(minimum='ten'), t()]),
        'computed-column': small_table(columns=[n(computed=1), t()]),
    }


# Damaged free chains: the header passes its checks, the walk does not.
def broken_chains():
    rows_loop = [record(2, 1, [int32(7), text('a', 4)], status=1),
                 record(1, 2, [int32(8), text('b', 4)], status=1),
                 record(3, 3, [int32(9), text('c', 4)])]
    rows_active = [record(1, 1, [int32(7), text('a', 4)]),
                   record(2, 2, [int32(8), text('b', 4)]),
                   record(3, 3, [int32(9), text('c', 4)])]
    rows_far = [record(1, 1, [int32(7), text('a', 4)]),
                record(9, 2, [int32(8), text('b', 4)], status=1),
                record(3, 3, [int32(9), text('c', 4)])]
    return {
        'chain-loops': small_table(rows=rows_loop, free=1),
        'chain-member-active': small_table(rows=rows_active, free=2),
        'chain-link-past-end': small_table(rows=rows_far, free=2),
    }


if __name__ == '__main__':
    with open('sites-two-rows.DAT', 'wb') as f:
        f.write(sites_two_rows())
    with open('small-table.DAT', 'wb') as f:
        f.write(small_table())
    for name, data in {**corrupt_files(), **broken_chains()}.items():
        with open('corrupt/%s.DAT' % name, 'wb') as f:
            f.write(data)
