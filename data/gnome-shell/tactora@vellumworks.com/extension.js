// Tactora's helper inside GNOME Shell. On Wayland no other program may ask which window is
// focused or close it, so the shell answers for Tactora on the session bus, under the shell's
// own bus name (org.gnome.Shell).

import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Shell from 'gi://Shell';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

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
    <signal name="FocusedApplicationChanged">
      <arg name="desktopId" type="s"/>
    </signal>
  </interface>
</node>`;

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

class TactoraService {
    FocusedApplication() {
        return focusedApplicationId();
    }

    // Closes the window the way its close button does: the application may still ask first.
    CloseFocusedWindow() {
        const window = global.display.focus_window;
        if (!window || !window.can_close())
            return false;
        window.delete(global.get_current_time());
        return true;
    }
}

export default class TactoraExtension extends Extension {
    enable() {
        this._object = Gio.DBusExportedObject.wrapJSObject(INTERFACE_XML, new TactoraService());
        this._object.export(Gio.DBus.session, OBJECT_PATH);
        this._lastId = focusedApplicationId();
        this._focusHandler = global.display.connect('notify::focus-window', () => {
            const id = focusedApplicationId();
            if (id === this._lastId)
                return;
            this._lastId = id;
            this._object.emit_signal('FocusedApplicationChanged', new GLib.Variant('(s)', [id]));
        });
    }

    disable() {
        global.display.disconnect(this._focusHandler);
        this._focusHandler = null;
        this._object.unexport();
        this._object = null;
    }
}
