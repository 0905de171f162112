"""Whether a window keeps answering and painting while a run works: every 50 ms the window is sent the
window manager's ping (_NET_WM_PING, which only the window's own event loop answers), and every half
second its picture is taken. The longest time a ping went unanswered is how long the window was frozen.
Needs python3-xlib (the system's Python has it; another Python finds it there too)."""
import hashlib
import select
import sys
import threading
import time

try:
    from Xlib import X, Xatom, display, error, protocol
except ImportError:  # a Python of its own, next to the system's
    sys.path.append("/usr/lib/python3/dist-packages")
    from Xlib import X, Xatom, display, error, protocol

INTERVAL = 0.05


class WindowProbe(threading.Thread):
    def __init__(self, display_name, title, bound=600.0):
        super().__init__(daemon=True)
        self.display_name, self.title, self.bound = display_name, title, bound
        self.longest = 0.0  # seconds a ping waited, at most
        self.pings = self.answers = 0
        self.pictures = set()  # distinct pictures of the window seen
        self.found = False
        self._halt = threading.Event()

    def stop(self):
        self._halt.set()
        self.join()

    def _find(self, d):
        for child in d.screen().root.query_tree().children:
            try:
                if child.get_wm_name() == self.title and child.get_attributes().map_state == X.IsViewable:
                    return child
            except error.XError:
                continue
        return None

    def run(self):
        d = display.Display(self.display_name)
        gone = []  # errors of requests that reached the window after it went (it ends with its run)
        d.set_error_handler(lambda err, request: gone.append(err))
        root = d.screen().root
        # The answer comes back to the root window, to those who listen to its structure (so the toolkit sends it).
        root.change_attributes(event_mask=X.StructureNotifyMask)
        protocols, ping = d.intern_atom("WM_PROTOCOLS"), d.intern_atom("_NET_WM_PING")
        window, sent, stamp, shot = None, {}, 0, 0.0
        end = time.monotonic() + self.bound
        while not self._halt.is_set() and time.monotonic() < end:
            now = time.monotonic()
            if gone:
                gone.clear()
                window = None
                sent.clear()
            try:
                if window is None:
                    window = self._find(d)
                    self.found = self.found or window is not None
                else:
                    stamp += 1
                    window.send_event(protocol.event.ClientMessage(
                        window=window, client_type=protocols, data=(32, [ping, stamp, window.id, 0, 0])))
                    sent[stamp] = now
                    self.pings += 1
                    if now - shot >= 0.5:
                        shot = now
                        geometry = window.get_geometry()
                        image = window.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0xFFFFFFFF)
                        self.pictures.add(hashlib.sha1(image.data).hexdigest())
                d.flush()
            except error.XError:  # the window went with its run
                gone.append(None)
            deadline = now + INTERVAL
            while (left := deadline - time.monotonic()) > 0:
                # Bytes to read need not make an event (a reply, an error): next_event would wait for one.
                if not d.pending_events():
                    select.select([d.fileno()], [], [], left)
                    if not d.pending_events():
                        continue
                event = d.next_event()
                if event.type == X.ClientMessage and event.client_type == protocols:
                    answered = sent.pop(event.data[1][1], None)
                    if answered is not None:
                        self.answers += 1
                        self.longest = max(self.longest, time.monotonic() - answered)
            # A ping still waiting counts as long as it has waited.
            for asked in sent.values():
                self.longest = max(self.longest, time.monotonic() - asked)
            if window is not None and sent and time.monotonic() - min(sent.values()) > 5:
                break  # frozen for good: the figure says so
        d.close()
