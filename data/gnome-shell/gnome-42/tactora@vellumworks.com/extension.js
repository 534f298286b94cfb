// Tactora's helper inside GNOME Shell 42 to 44, in the format these shells load (a script, no
// import statements); GNOME 45 and later load the ES module in gnome-45/, which shares everything
// below the imports. On Wayland no other program may ask which window is focused or close it, so
// the shell answers for Tactora on the session bus, under the shell's own bus name
// (org.gnome.Shell), and draws Tactora's gesture overlay.

const {Clutter, Gio, GLib, Shell, St} = imports.gi;
const Main = imports.ui.main;

// ---- The same in both generations of the extension from here to the end marker ----

const OBJECT_PATH = '/com/vellumworks/Tactora/Shell';
const INTERFACE_XML = `
<node>
  <interface name="com.vellumworks.Tactora.Shell1">
    <method name="FocusedApplication">
      <arg name="desktopId" type="s" direction="out"/>
    </method>
    <method name="CloseFocusedWindow">
      <arg name="closed" type="b" direction="out"/>
    </method>
    <method name="ShowOverlay">
      <arg name="text" type="s" direction="in"/>
    </method>
  </interface>
</node>`;

// The running Tactora owns this name on the session bus (its one-instance check).
const APPLICATION_BUS_NAME = 'com.vellumworks.Tactora';
const BUS_TIMEOUT_MS = 1000;

// The overlay: shown at full opacity for 0.9 s, then faded out over 0.25 s, its bottom edge 90 px
// above the bottom of the work area of the monitor under the pointer.
const OVERLAY_SHOWN_MS = 900;
const OVERLAY_FADE_MS = 250;
const OVERLAY_BOTTOM_MARGIN_PX = 90;

function callBus(method, name) {
    return new Promise((resolve, reject) => {
        Gio.DBus.session.call('org.freedesktop.DBus', '/org/freedesktop/DBus',
            'org.freedesktop.DBus', method, new GLib.Variant('(s)', [name]), null,
            Gio.DBusCallFlags.NONE, BUS_TIMEOUT_MS, null, (connection, result) => {
                try {
                    resolve(connection.call_finish(result).deepUnpack()[0]);
                } catch (error) {
                    reject(error);
                }
            });
    });
}

// The file a process runs, as device and inode ("l2049:1234"), so a copy or a link elsewhere
// compares as the same program only when it is the same file; null when it cannot be read.
function programOf(pid) {
    try {
        return Gio.File.new_for_path(`/proc/${pid}/exe`)
            .query_info('id::file', Gio.FileQueryInfoFlags.NONE, null)
            .get_attribute_string('id::file');
    } catch (error) {
        return null;
    }
}

// Whether `sender` (a unique bus name) may use the methods: the process of the running Tactora
// (whichever of its bus connections calls), or another process of the same program, which is how
// `tactora doctor` asks beside it. Every other program on the session bus is refused: the focused
// application tells what the user is doing, closing a window loses their work, and the overlay
// could pass for a message of the shell.
async function isExpectedCaller(sender) {
    let owner;
    try {
        owner = await callBus('GetNameOwner', APPLICATION_BUS_NAME);
    } catch (error) {
        return false; // Tactora is not running
    }
    if (owner === sender)
        return true;
    const [callerPid, ownerPid] = await Promise.all([
        callBus('GetConnectionUnixProcessID', sender),
        callBus('GetConnectionUnixProcessID', owner),
    ]);
    if (callerPid === ownerPid)
        return true;
    const program = programOf(ownerPid);
    return program !== null && program === programOf(callerPid);
}

// The desktop-file id of the focused window's application, without ".desktop"; "" when no
// window is focused or no installed application owns it (the shell then makes up an id,
// "window:<n>", that names no desktop file).
function focusedApplicationId() {
    const window = global.display.focus_window;
    if (!window)
        return '';
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    if (!app || !app.get_app_info())
        return '';
    const id = app.get_id();
    return id.endsWith('.desktop') ? id.slice(0, -'.desktop'.length) : id;
}

// Closes the window the way its close button does: the application may still ask first.
function closeFocusedWindow() {
    const window = global.display.focus_window;
    if (!window || !window.can_close())
        return false;
    window.delete(global.get_current_time());
    return true;
}

// One line of text in the shell's on-screen-display style. It is an actor of the shell's own
// stage, not a window: it never takes focus, lets clicks through and is listed nowhere.
class Overlay {
    constructor() {
        this._label = new St.Label({style_class: 'osd-window', reactive: false, can_focus: false});
        // The theme gives on-screen displays a bottom margin of their own; this one is placed
        // exactly.
        this._label.set_style('margin: 0;');
        this._label.hide();
        Main.layoutManager.addTopChrome(this._label, {affectsInputRegion: false});
        this._hideSource = 0;
    }

    show(text) {
        this._label.text = text;
        this._label.remove_all_transitions();
        this._label.opacity = 255;
        this._label.show();
        this._place();
        if (this._hideSource !== 0)
            GLib.source_remove(this._hideSource);
        this._hideSource = GLib.timeout_add(GLib.PRIORITY_DEFAULT, OVERLAY_SHOWN_MS, () => {
            this._hideSource = 0;
            this._label.ease({
                opacity: 0,
                duration: OVERLAY_FADE_MS,
                mode: Clutter.AnimationMode.EASE_OUT_QUAD,
                // A show during the fade has set the opacity back: the overlay stays.
                onComplete: () => {
                    if (this._label.opacity === 0)
                        this._label.hide();
                },
            });
            return GLib.SOURCE_REMOVE;
        });
    }

    _place() {
        const [x, y] = global.get_pointer();
        const monitors = Main.layoutManager.monitors;
        let index = monitors.findIndex(m =>
            x >= m.x && x < m.x + m.width && y >= m.y && y < m.y + m.height);
        if (index < 0)
            index = Main.layoutManager.primaryIndex;
        const area = Main.layoutManager.getWorkAreaForMonitor(index);
        const [, width] = this._label.get_preferred_width(-1);
        const [, height] = this._label.get_preferred_height(width);
        this._label.set_size(width, height);
        this._label.set_position(Math.round(area.x + (area.width - width) / 2),
            Math.round(area.y + area.height - OVERLAY_BOTTOM_MARGIN_PX - height));
    }

    destroy() {
        if (this._hideSource !== 0)
            GLib.source_remove(this._hideSource);
        this._hideSource = 0;
        this._label.destroy();
    }
}

// The bus object: every method first checks its caller, and answers a refused one with
// org.freedesktop.DBus.Error.AccessDenied.
class TactoraService {
    constructor() {
        this._overlay = new Overlay();
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE_XML, this);
        this._object.export(Gio.DBus.session, OBJECT_PATH);
    }

    destroy() {
        this._object.unexport();
        this._overlay.destroy();
    }

    _answer(invocation, work) {
        isExpectedCaller(invocation.get_sender()).catch(() => false).then(expected => {
            if (!expected) {
                invocation.return_dbus_error('org.freedesktop.DBus.Error.AccessDenied',
                    'The Tactora extension answers only the running Tactora');
                return;
            }
            try {
                invocation.return_value(work());
            } catch (error) {
                invocation.return_dbus_error('org.freedesktop.DBus.Error.Failed', error.message);
            }
        });
    }

    FocusedApplicationAsync(parameters, invocation) {
        this._answer(invocation, () => new GLib.Variant('(s)', [focusedApplicationId()]));
    }

    CloseFocusedWindowAsync(parameters, invocation) {
        this._answer(invocation, () => new GLib.Variant('(b)', [closeFocusedWindow()]));
    }

    ShowOverlayAsync([text], invocation) {
        this._answer(invocation, () => {
            this._overlay.show(text);
            return null;
        });
    }
}

// ---- End of the part both generations share ----

class TactoraExtension {
    enable() {
        this._service = new TactoraService();
    }

    disable() {
        this._service.destroy();
        this._service = null;
    }
}

// eslint-disable-next-line no-unused-vars
function init() {
    return new TactoraExtension();
}
