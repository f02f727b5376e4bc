#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# What a pupil's programs may do to the record service. Each command prints
# what it did, replies as Python writes bytes (b'...' without the quotes); a
# command whose check fails says why and exits with 1.
#   pupil.py record                a load, as the game reads it: "SCORE NAME",
#                                  "none" (no record), or the reply itself
#   pupil.py watch                 a load every 50 ms until SIGTERM; then how
#                                  they went: all back within a second, or not
#   pupil.py fds HOW SECONDS       a load carrying a TCP socket that lingers an
#                                  hour on a full send buffer; HOW: request (on
#                                  the load), second (on a message after it),
#                                  closed (the connection closed at once)
#   pupil.py rising FIRST COUNT    scores FIRST.., each saved until answered
#                                  and then loaded, which must read it
#   pupil.py flood SECONDS N       connections as fast as they go from N
#                                  processes, none ever read, half sent a save
import contextlib, errno, multiprocessing, os, re, signal, socket, struct, sys, time

PATH = "/run/sequilla/record"


def connect(limit):
    end = time.monotonic() + limit
    while True:  # a full queue is tried again, as the game does
        (s := socket.socket(socket.AF_UNIX, socket.SOCK_SEQPACKET)).settimeout(limit)
        if (error := s.connect_ex(PATH)) != errno.EAGAIN or time.monotonic() > end: break
        s.close(), time.sleep(0.01)
    if error: raise OSError(error, os.strerror(error))
    return s


# The reply; b"" when the service closed without one; else the error.
def receive(s):
    try: return s.recv(1024)
    except OSError as error: return repr(error).encode()


def request(message, limit=15.0):
    try: s = connect(limit)
    except OSError as error: return repr(error).encode()
    with contextlib.suppress(BrokenPipeError): s.send(message)  # turned away at once: the reason waits
    with s: return receive(s)


def show(reply):
    return repr(reply)[2:-1]


# (score, name) as the game reads a load's reply: the score text's leading
# number as strtod reads it (None: no record), and the name's first line;
# None for another reply.
def reading(reply):
    if not (m := re.fullmatch(rb"L(\d+) (.*)", reply, re.S)): return None
    number = re.match(rb"[ \t]*([+-]?\d+(\.\d*)?([eE][+-]?\d+)?)", m[2][: int(m[1])])
    value = float(number[1]) if number else 0
    return (int(value) if 0 < value <= 32767 else None), re.split(rb"\r?\n", m[2][int(m[1]) :])[0]


# work(k, *args) in n processes at once; their results.
def together(n, work, *args):
    with multiprocessing.Pool(n, maxtasksperchild=1) as pool: return pool.starmap(work, [(k, *args) for k in range(n)])


def record():
    got = reading(reply := request(b"load"))
    print(show(reply) if not got else f"{got[0]} {got[1].decode('utf-8', 'backslashreplace')}" if got[0] else "none")


def watch():
    times, failed, stop = [], [], []
    signal.signal(signal.SIGTERM, lambda *_: stop.append(1))
    while not stop:
        start, reply = time.monotonic(), request(b"load")
        times.append(time.monotonic() - start)
        reply.startswith(b"L") or failed.append(show(reply))
        time.sleep(0.05)
    verdict = "all back within a second" if max(times) <= 1 and not failed else f"{len(failed)} failed {failed[:1]}"
    print(f"another account's {len(times)} loads, {verdict}, the slowest {max(times) * 1000:.0f} ms")


def fds(how, seconds):
    listener = socket.create_server(("127.0.0.1", 0))
    tcp = socket.create_connection(listener.getsockname())  # never accepted, never read
    tcp.setblocking(False)
    with contextlib.suppress(BlockingIOError):  # until the send buffer is full
        while tcp.send(bytes(1 << 16)): pass
    tcp.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 3600))
    # It rides in the queue of a socket whose last copy goes to the service,
    # so that the pupil holds neither when the service lets go of them.
    carrier, sender = socket.socketpair(socket.AF_UNIX, socket.SOCK_DGRAM)
    socket.send_fds(sender, [b"x"], [tcp.fileno()]), sender.close(), tcp.close()
    s, end = connect(seconds), time.monotonic() + seconds
    how == "second" and s.send(b"load")
    try: socket.send_fds(s, [b"x" if how == "second" else b"load"], [carrier.fileno()])
    except OSError: listener.close()  # the service closed first: the linger ends before the last copy goes here
    carrier.close(), how == "closed" and s.close()
    reply = "none, closed at once" if how == "closed" else show(receive(s))
    time.sleep(max(0, end - time.monotonic()))  # then the listener goes, and the linger with it
    print(f"the pupil's own reply: {reply}")


def rising(first, count):
    asked, written, end = 0, 0, time.monotonic() + 30
    for n in range(first, first + count):  # each asked again until answered, as a game that retries
        while (saved := request(b"save %d x%d" % (n, n), 2)) not in (b"W", b"K") or not (
                loaded := reading(request(b"load", 2))):
            asked += 1
            time.monotonic() < end or sys.exit(f"save {n}: no reply in 30 s, the last {show(saved)}")
        written += saved == b"W"
        loaded == (n, b"x%d" % n) or sys.exit(f"save {n} answered {show(saved)}, then a load read {loaded}")
        time.sleep(0.01)
    print(f"{count} saves answered, {written} of them W, {asked} asked again; each load after held the save")


def flooding(k, end):
    held = []
    while time.monotonic() < end:
        held = held[-200:] + [socket.socket(socket.AF_UNIX, socket.SOCK_SEQPACKET | socket.SOCK_NONBLOCK)]
        with contextlib.suppress(OSError): held[-1].connect(PATH), len(held) % 2 and held[-1].send(b"save 0 x")
    return len(held)


def flood(seconds, n):
    print(f"{sum(together(n, flooding, time.monotonic() + seconds))} connections held at the end")


if __name__ == "__main__":
    sys.stdout.reconfigure(line_buffering=True)  # what it printed before why it failed
    globals()[sys.argv[1]](*[int(a) if a.isdigit() else a for a in sys.argv[2:]])
