// The WebGL side of the page's GL (web/gl/webgl.h says what each call does).
// Linked with emcc --js-library; Module.zwGL is the context, which the
// benchmarks and tests also read back through.
mergeInto(LibraryManager.library, {
  zw_gl_init: function(width, height, atlasSize, spriteSize) {
    var canvas = Module.canvas || document.getElementById('canvas');
    canvas.width = width;
    canvas.height = height;
    // The canvas has an alpha channel that always holds 1: without one, the
    // browser keeps alpha at 1 by masking it in every clear, which made each
    // clear about four times as slow.  Draws leave alpha alone; clears set it.
    var gl = canvas.getContext('webgl', {antialias: false, alpha: true, depth: true,
                                         stencil: false, preserveDrawingBuffer: true,
                                         premultipliedAlpha: false});
    if (!gl) return 0;
    var vs = 'attribute vec3 p; attribute vec4 c; uniform vec2 s; varying vec4 v;' +
             'void main() { gl_Position = vec4(p.x * 2.0 / s.x - 1.0, p.y * 2.0 / s.y - 1.0, p.z, 1.0); v = c; }';
    var fs = 'precision mediump float; varying vec4 v; void main() { gl_FragColor = v; }';
    var glyphVs = 'attribute vec3 p; attribute vec4 c; attribute vec2 t; uniform vec2 s;' +
                  'varying vec4 v; varying vec2 g;' +
                  'void main() { gl_Position = vec4(p.x * 2.0 / s.x - 1.0, p.y * 2.0 / s.y - 1.0, p.z, 1.0);' +
                  ' v = c; g = t; }';
    // The atlas coordinates need more than mediump's 11 bits to hit texel
    // centres; a bitmap's unset bits leave the pixel as it was.
    var glyphFs = '#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\n#else\nprecision mediump float;\n#endif\n' +
                  'uniform sampler2D a; varying vec4 v; varying vec2 g;' +
                  'void main() { if (texture2D(a, g).a < 0.5) discard; gl_FragColor = v; }';
    function shader(type, src) {
      var sh = gl.createShader(type); gl.shaderSource(sh, src); gl.compileShader(sh); return sh;
    }
    function program(vsText, fsText) {
      var prog = gl.createProgram();
      gl.attachShader(prog, shader(gl.VERTEX_SHADER, vsText));
      gl.attachShader(prog, shader(gl.FRAGMENT_SHADER, fsText));
      gl.bindAttribLocation(prog, 0, 'p');
      gl.bindAttribLocation(prog, 1, 'c');
      gl.bindAttribLocation(prog, 2, 't');
      gl.linkProgram(prog);
      gl.useProgram(prog);
      gl.uniform2f(gl.getUniformLocation(prog, 's'), width, height);
      return prog;
    }
    var glyphProgram = program(glyphVs, glyphFs);
    gl.uniform1i(gl.getUniformLocation(glyphProgram, 'a'), 0);
    Module.zwPrograms = [null, glyphProgram, null];
    // Depth sprites need the fragment's depth from the shader: without the
    // extension the triangles are drawn instead.
    var sprites = 0;
    if (gl.getExtension('EXT_frag_depth')) {
      var spriteFs = '#extension GL_EXT_frag_depth : require\n' +
                     '#ifdef GL_FRAGMENT_PRECISION_HIGH\nprecision highp float;\n#else\nprecision mediump float;\n#endif\n' +
                     'uniform sampler2D a; varying vec4 v; varying vec2 g;' +
                     'void main() { vec4 t = texture2D(a, g); if (t.a < 0.5) discard;' +
                     ' vec3 b = floor(t.rgb * 255.0 + 0.5);' +
                     ' gl_FragColor = v; gl_FragDepthEXT = (b.r * 65536.0 + b.g * 256.0 + b.b) / 16777215.0; }';
      var spriteProgram = program(glyphVs, spriteFs);
      if (gl.getProgramParameter(spriteProgram, gl.LINK_STATUS)) {
        gl.uniform1i(gl.getUniformLocation(spriteProgram, 'a'), 1);
        Module.zwPrograms[2] = spriteProgram;
        gl.activeTexture(gl.TEXTURE1);
        gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
        gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, spriteSize, spriteSize, 0, gl.RGBA, gl.UNSIGNED_BYTE, null);
        gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
        gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
        gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
        gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
        gl.activeTexture(gl.TEXTURE0);
        sprites = 1;
      }
    }
    Module.zwPrograms[0] = program(vs, fs);
    Module.zwProgram = 0;
    Module.zwDepthMask = true;
    var buf = gl.createBuffer();
    gl.bindBuffer(gl.ARRAY_BUFFER, buf);
    gl.enableVertexAttribArray(0);
    gl.enableVertexAttribArray(1);
    gl.vertexAttribPointer(0, 3, gl.FLOAT, false, 16, 0);
    gl.vertexAttribPointer(1, 4, gl.UNSIGNED_BYTE, true, 16, 12);
    var atlas = gl.createTexture();
    gl.bindTexture(gl.TEXTURE_2D, atlas);
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.ALPHA, atlasSize, atlasSize, 0, gl.ALPHA, gl.UNSIGNED_BYTE,
                  new Uint8Array(atlasSize * atlasSize));
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
    gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
    gl.viewport(0, 0, width, height);
    gl.enable(gl.SCISSOR_TEST);
    gl.pixelStorei(gl.PACK_ALIGNMENT, 1);
    // Canvas pixels outside every window show the page's own background.
    gl.clearColor(0.957, 0.957, 0.957, 1.0);
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    gl.colorMask(true, true, true, false);
    Module.zwGL = gl;
    return 1 + sprites;
  },

  zw_gl_resize: function(width, height) {
    var gl = Module.zwGL;
    var canvas = Module.canvas || document.getElementById('canvas');
    canvas.width = width;
    canvas.height = height;
    Module.zwPrograms.forEach(function (prog) {
      if (!prog) return;
      gl.useProgram(prog);
      gl.uniform2f(gl.getUniformLocation(prog, 's'), width, height);
    });
    gl.useProgram(Module.zwPrograms[Module.zwProgram || 0]);
    gl.viewport(0, 0, width, height);
    gl.scissor(0, 0, width, height);
    gl.clearColor(0.957, 0.957, 0.957, 1.0);
    gl.colorMask(true, true, true, true);
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    gl.colorMask(true, true, true, false);
  },

  zw_gl_draw: function(data, count, program, blend, src, dst, depth, func, depthMask, sx, sy, sw, sh) {
    var gl = Module.zwGL;
    if (program !== Module.zwProgram) {
      Module.zwProgram = program;
      gl.useProgram(Module.zwPrograms[program]);
      if (program) gl.enableVertexAttribArray(2); else gl.disableVertexAttribArray(2);
    }
    var stride = program ? 24 : 16;
    if (blend) { gl.enable(gl.BLEND); gl.blendFunc(src, dst); } else gl.disable(gl.BLEND);
    if (depth) { gl.enable(gl.DEPTH_TEST); gl.depthFunc(func); } else gl.disable(gl.DEPTH_TEST);
    var mask = depthMask !== 0;
    if (mask !== Module.zwDepthMask) { Module.zwDepthMask = mask; gl.depthMask(mask); }
    gl.scissor(sx, sy, sw, sh);
    gl.bufferData(gl.ARRAY_BUFFER, HEAPF32.subarray(data >> 2, (data >> 2) + count * stride / 4), gl.STREAM_DRAW);
    gl.vertexAttribPointer(0, 3, gl.FLOAT, false, stride, 0);
    gl.vertexAttribPointer(1, 4, gl.UNSIGNED_BYTE, true, stride, 12);
    if (program) gl.vertexAttribPointer(2, 2, gl.FLOAT, false, stride, 16);
    gl.drawArrays(gl.TRIANGLES, 0, count);
  },

  // The caller leaves the depth bit out of mask while GL's depth mask is
  // off, as GL then leaves the depth buffer alone.
  zw_gl_clear: function(mask, r, g, b, sx, sy, sw, sh) {
    var gl = Module.zwGL;
    gl.scissor(sx, sy, sw, sh);
    gl.clearColor(r, g, b, 1.0);
    gl.clearDepth(1.0);
    gl.depthMask(true);
    Module.zwDepthMask = true;
    gl.colorMask(true, true, true, true);
    gl.clear(mask);
    gl.colorMask(true, true, true, false);
  },

  zw_gl_sprite_rows: function(y, rows, size, rgba) {
    var gl = Module.zwGL;
    gl.activeTexture(gl.TEXTURE1);
    gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, y, size, rows, gl.RGBA, gl.UNSIGNED_BYTE,
                     HEAPU8.subarray(rgba + y * size * 4, rgba + (y + rows) * size * 4));
    gl.activeTexture(gl.TEXTURE0);
  },

  zw_gl_glyph: function(x, y, w, h, alpha) {
    var gl = Module.zwGL;
    gl.texSubImage2D(gl.TEXTURE_2D, 0, x, y, w, h, gl.ALPHA, gl.UNSIGNED_BYTE,
                     HEAPU8.subarray(alpha, alpha + w * h));
  },

  zw_gl_read: function(x, y, w, h, out) {
    var gl = Module.zwGL;
    gl.readPixels(x, y, w, h, gl.RGBA, gl.UNSIGNED_BYTE, HEAPU8.subarray(out, out + w * h * 4));
  },
});
