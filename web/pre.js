// The game's side of the page, run inside the module before the game starts:
// harness options from the address, files kept in the browser's storage,
// the trace on the console, sound through WebAudio.
(function () {
  var params = new URLSearchParams(location.search);
  var harness = ['seed', 'fakeclock', 'script', 'maxframes'].some(function (k) {
    return params.has(k);
  });
  var args = [];
  if (params.has('seed')) args.push('--seed', params.get('seed'));
  if (params.get('fakeclock') === '1') args.push('--fake-clock');
  if (params.has('maxframes')) args.push('--max-frames', params.get('maxframes'));
  if (params.has('script')) args.push('--script', '/harness/script.txt');
  if (params.has('replay')) args.push('--replay', '/harness/game.replay');
  if (harness) args.push('--trace', '/dev/trace');
  Module.arguments = args;
  Module.parvaneHarness = harness;

  // Files fetched before the game starts: the script, a replay (from an
  // address, or dropped on the page and carried over its reload).
  function fetchInto(url, path) {
    Module.addRunDependency(path);
    var bytes = url === 'dropped'
      ? Promise.resolve(Uint8Array.from(atob(sessionStorage.getItem('parvane-replay') || ''),
                                       function (c) { return c.charCodeAt(0); }))
      : fetch(url).then(function (r) {
          if (!r.ok) throw new Error(url + ': ' + r.status);
          return r.arrayBuffer();
        }).then(function (b) { return new Uint8Array(b); });
    bytes.then(function (data) {
      FS.writeFile(path, data);
    }).catch(function (e) {
      console.error('could not fetch ' + url + ': ' + e.message);
    }).then(function () { Module.removeRunDependency(path); });
  }

  var told = false, saving = false;
  function save(done) {
    if (saving) return;
    saving = true;
    FS.syncfs(false, function (err) {
      saving = false;
      if (err && !told) {
        told = true;
        Module.parvaneMessage('Parvane', 'Your scores and settings cannot be kept in this ' +
                              'browser (private window, or no room left): they last until ' +
                              'the page is closed.');
      }
      if (done) done();
    });
  }

  Module.preRun = Module.preRun || [];
  Module.preRun.push(function () {
    FS.mkdir('/harness');
    if (params.has('script')) fetchInto(params.get('script'), '/harness/script.txt');
    if (params.has('replay')) fetchInto(params.get('replay'), '/harness/game.replay');

    // One console message per trace line.
    var line = [];
    FS.createDevice('/dev', 'trace', null, function (byte) {
      if (byte === 10) {
        console.log('TRACE ' + new TextDecoder().decode(new Uint8Array(line)));
        line = [];
      } else {
        line.push(byte);
      }
    });

    // Prefs, scores, controls and replays live under the home folder,
    // kept in IndexedDB across visits.
    var home = '/home/web_user';
    FS.mount(IDBFS, {}, home);
    Module.addRunDependency('files');
    FS.syncfs(true, function (err) {
      if (err) console.warn('stored files not read: ' + err);
      Module.removeRunDependency('files');
      setInterval(save, 1000);
    });
  });

  Module.onExit = function () {
    save();
    if (harness) console.log('TRACE-END');
  };

  Module.parvaneScreenshot = function (path) {
    if (!harness) return;
    var data = FS.readFile(path);
    var text = '';
    for (var i = 0; i < data.length; i += 8192)
      text += String.fromCharCode.apply(null, data.subarray(i, i + 8192));
    var b64 = btoa(text), piece = 16384, count = Math.ceil(b64.length / piece);
    var name = path.replace(/^.*\//, '');
    for (var k = 0; k < count; k++)
      console.log('SHOT ' + name + ' ' + (k + 1) + '/' + count + ' ' +
                  b64.substr(k * piece, piece));
  };

  // Sound: the page's gesture starts the audio context; each frame the game
  // tops up what is queued ahead of the playing position.
  var audio = null, next = 0;
  Module.parvaneGesture = function () {
    if (harness) return;
    if (!audio) {
      var Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return;
      audio = new Context();
    }
    if (audio.state === 'suspended') audio.resume();
  };
  Module.parvaneAudioOn = function () { return !harness; };
  Module.parvaneAudioWanted = function (ahead) {
    if (!audio || audio.state !== 'running') return 0;
    if (next < audio.currentTime) next = audio.currentTime + 0.02;
    var frames = Math.floor((audio.currentTime + ahead / 44100 - next) * 44100);
    return frames >= 512 ? frames : 0;
  };
  Module.parvaneAudioQueue = function (ptr, frames) {
    var buffer = audio.createBuffer(2, frames, 44100);
    var left = buffer.getChannelData(0), right = buffer.getChannelData(1);
    var base = ptr >> 1;
    for (var i = 0; i < frames; i++) {
      left[i] = HEAP16[base + 2 * i] / 32768;
      right[i] = HEAP16[base + 2 * i + 1] / 32768;
    }
    var source = audio.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.destination);
    source.start(next);
    next += frames / 44100;
  };
  if (!Module.parvaneMessage) {
    Module.parvaneMessage = function (caption, text) { console.warn(caption + ': ' + text); };
  }
})();
